#include "app/PasteCommands.h"

#include "app/CommandDispatcher.h"
#include "app/MainWindow.h"

void CPasteCommands::registerWith(CCommandDispatcher&, CMainWindow&) {}
