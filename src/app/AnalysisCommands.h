// The Colors menu's commands that look at the image without changing it:
// the colour count and the histogram.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CAnalysisCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
