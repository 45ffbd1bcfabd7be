// The Options dialog and what the window refreshes after it.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class COptionsCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
