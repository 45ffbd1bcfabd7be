// The slide show: "&Slide show" from the browser, "&Run" and "&Stop" in the viewer.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CSlideShowCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
