#include "app/FilterCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void CFilterCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    (void)commands;
    (void)w;
}
