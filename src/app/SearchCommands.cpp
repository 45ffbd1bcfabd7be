#include "app/SearchCommands.h"

#include "app/CommandDispatcher.h"
#include "app/MainWindow.h"

void CSearchCommands::registerWith(CCommandDispatcher&, CMainWindow&) {}
