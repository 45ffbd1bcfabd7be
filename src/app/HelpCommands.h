// Help: the contents window, how to use it, and About.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CHelpCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
