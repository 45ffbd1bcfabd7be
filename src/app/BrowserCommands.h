// The browser's commands: selection, view modes, sorting and columns, the
// list and preview options, navigation and favourites.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CBrowserCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
