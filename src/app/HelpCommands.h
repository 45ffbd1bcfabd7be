// Help: the contents window, how to use it, and About.
#pragma once

#include <QString>

class CCommandDispatcher;
class CMainWindow;

class CHelpCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

    // The texts of "About Oculane" and "How to use Help".
    static QString AboutText();
    static QString UsingHelpText();

private:
    // One help window per main window, shown again when it is open already.
    static void showContents(CMainWindow& window);
};
