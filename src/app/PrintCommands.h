// Print Setup, Print, Print All, Print Thumbnails and Print Preview.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CPrintCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
