#include "app/FileCommands.h"

#include "app/CommandDispatcher.h"
#include "app/MainWindow.h"

void CFileCommands::registerWith(CCommandDispatcher&, CMainWindow&) {}
