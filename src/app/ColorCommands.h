// The Colors menu: the colour adjustments with their dialogs.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CColorCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
