// The Options dialog and what the window refreshes after it.
#pragma once

class CCommandDispatcher;
class CMainWindow;
class CSettings;

class COptionsCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

private:
    static void showOptions(CMainWindow& window);
    // The views that show what changed between `before` and the window's settings.
    static void refresh(CMainWindow& window, const CSettings& before);
};
