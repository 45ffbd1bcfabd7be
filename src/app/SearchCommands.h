// Find Files and Compare Directories, with their dialogs and jobs.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CSearchCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
