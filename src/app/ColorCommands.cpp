#include "app/ColorCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void CColorCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    (void)commands;
    (void)w;
}
