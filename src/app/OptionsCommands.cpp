#include "app/OptionsCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void COptionsCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    (void)commands;
    (void)window;
}
