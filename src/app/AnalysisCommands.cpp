#include "app/AnalysisCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void CAnalysisCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    (void)commands;
    (void)w;
}
