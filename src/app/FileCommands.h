// Delete, Rename, Rename Series and New Folder: the commands that delete or
// rename files and folders, with their dialogs.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CFileCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
