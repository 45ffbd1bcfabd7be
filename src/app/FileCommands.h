// Delete, Copy, Cut, Paste, Copy To, Move To, Rename, Rename Series and New Folder: the
// commands that change files and folders, with their dialogs and jobs.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CFileCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
