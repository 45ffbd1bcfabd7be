#include "app/PrintCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void CPrintCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    (void)commands;
    (void)window;
}
