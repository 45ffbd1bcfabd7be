// Delete, Rename, Rename Series and New Folder: the commands that delete or
// rename files and folders, with their dialogs.
#pragma once

#include <string>

class CCommandDispatcher;
class CMainWindow;

class CFileCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

private:
    static void deleteFiles(CMainWindow& w);
    static void afterDelete(CMainWindow& w, bool folderMode, const std::string& folder);
    static void rename(CMainWindow& w);
    static void renameFile(CMainWindow& w);
    static void renameFolder(CMainWindow& w);
    static void renameSeries(CMainWindow& w);
    static void newFolder(CMainWindow& w);
};
