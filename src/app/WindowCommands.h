// The commands of the window itself: opening a file, switching between the
// browser and the viewer, the bars, leaving, and the file types the desktop
// opens with the program.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CWindowCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
