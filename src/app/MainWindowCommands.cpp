// Routing of commands by id: each area registers its commands with the
// dispatcher, and the window asks it what to run and what to show.
#include "app/MainWindow.h"

#include "app/AnalysisCommands.h"
#include "app/BrowserCommands.h"
#include "app/ColorCommands.h"
#include "app/ConvertCommands.h"
#include "app/FileCommands.h"
#include "app/FilterCommands.h"
#include "app/HelpCommands.h"
#include "app/ImageCommands.h"
#include "app/OptionsCommands.h"
#include "app/PasteCommands.h"
#include "app/PrintCommands.h"
#include "app/SaveCommands.h"
#include "app/SearchCommands.h"
#include "app/SlideShowCommands.h"
#include "app/SlideShowControl.h"
#include "app/ViewCommands.h"
#include "app/WindowCommands.h"

#include <QAction>

void CMainWindow::registerCommands()
{
    CWindowCommands::registerWith(m_Commands, *this);
    CBrowserCommands::registerWith(m_Commands, *this);
    CViewCommands::registerWith(m_Commands, *this);
    CImageCommands::registerWith(m_Commands, *this);
    CColorCommands::registerWith(m_Commands, *this);
    CAnalysisCommands::registerWith(m_Commands, *this);
    CFilterCommands::registerWith(m_Commands, *this);
    CSaveCommands::registerWith(m_Commands, *this);
    CConvertCommands::registerWith(m_Commands, *this);
    CFileCommands::registerWith(m_Commands, *this);
    CPasteCommands::registerWith(m_Commands, *this);
    CSearchCommands::registerWith(m_Commands, *this);
    CSlideShowCommands::registerWith(m_Commands, *this);
    CPrintCommands::registerWith(m_Commands, *this);
    COptionsCommands::registerWith(m_Commands, *this);
    CHelpCommands::registerWith(m_Commands, *this);
}

void CMainWindow::runCommand(int id)
{
    if (!m_SlideShow->allows(id))
        return;
    if (m_Commands.run(id))
        updateActions();
}

bool CMainWindow::isCommandEnabled(int id) const
{
    return m_SlideShow->allows(id) && m_Commands.isEnabled(id);
}

bool CMainWindow::isCommandChecked(int id) const
{
    return m_Commands.isChecked(id);
}

void CMainWindow::updateActions()
{
    for (const auto& [id, action] : m_Actions) {
        action->setEnabled(isCommandEnabled(id));
        if (action->isCheckable())
            action->setChecked(isCommandChecked(id));
    }
}
