#include "app/SlideShowCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"

void CSlideShowCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    (void)commands;
    (void)window;
}
