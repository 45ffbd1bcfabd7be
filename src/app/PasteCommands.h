// Copy, Cut, Paste, Copy To and Move To: marking files or a folder and
// copying or moving them under the "Paste" progress dialog.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CPasteCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
