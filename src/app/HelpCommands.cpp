#include "app/HelpCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void CHelpCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    (void)commands;
    (void)window;
}
