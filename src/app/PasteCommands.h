// Copy, Cut, Paste, Copy To and Move To: marking files or a folder and
// copying or moving them under the "Paste" progress dialog.
#pragma once

#include <string>

class CCommandDispatcher;
class CMainWindow;
struct PasteRequest;

class CPasteCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

private:
    // Copy and Cut: the selected files, or the folder (nothing selected, or the tree asked).
    static void mark(CMainWindow& window, bool copy);
    static void paste(CMainWindow& window);
    static void copyTo(CMainWindow& window, bool copy);
    // The job under the "Paste" progress dialog; false when cancelled.
    static bool run(CMainWindow& window, const PasteRequest& request, const std::string& from);
    // The folder listed again with the last pasted file (or the current one) selected.
    static void afterPaste(CMainWindow& window, const std::string& lastName, bool folderPasted);
};
