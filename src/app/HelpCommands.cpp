#include "app/HelpCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"

void CHelpCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    commands.add(ID_HELP_CONTENTS, [&window] { showContents(window); });
    commands.add(ID_HELP_USING, [&window] { MessageBox::Information(&window, UsingHelpText()); });
    commands.add(ID_ABOUT, [&window] { MessageBox::Information(&window, AboutText()); });
}

QString CHelpCommands::AboutText()
{
    return QStringLiteral("Oculane %1\n"
                          "An image browser, viewer, converter and editor.\n\n"
                          "Copyright (c) 2026 Varnosk Software\n"
                          "Released under the MIT License: see the LICENSE file, also at the end of the help "
                          "contents.\n\n"
                          "The libraries Oculane uses (Qt, libjpeg-turbo, libpng, zlib, libtiff, cairo) come "
                          "under their own licences.")
        .arg(QString::fromLatin1(OCULANE_VERSION));
}

QString CHelpCommands::UsingHelpText()
{
    return QStringLiteral(
        "Contents (F1) opens the help in a window of its own beside the program.\n\n"
        "The links at the top of the help go to its parts; the commands of every menu are listed with their "
        "keys and what they do. The same one-line help shows in the status bar while a menu item is "
        "highlighted.\n\n"
        "Esc closes the help window.");
}

void CHelpCommands::showContents(CMainWindow& window)
{
    auto* help = window.findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!help)
        help = new CHelpWindow(&window);
    help->show();
    help->raise();
    help->activateWindow();
}
