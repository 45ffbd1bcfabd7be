#include "app/WindowCommands.h"

#include "app/AssociationsDialog.h"
#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/SlideShowControl.h"
#include "view/Preview.h"

#include <QStatusBar>
#include <QToolBar>

void CWindowCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    commands.add(ID_FILE_OPEN, [&w] { w.openFile(); });
    commands.add(
        {ID_VIEWER, ID_BROWSER},
        [&w](int) {
            // Leaving the viewer ends a show; its last slide is replaced by
            // the file's image even where the preview does not load by itself.
            const bool slide = w.m_Preview->showsSlide();
            w.m_SlideShow->stop(false);
            w.setViewerMode(!w.m_ViewerMode);
            // Each mode shows the image with its own fit options.
            w.loadCurrent(w.m_ViewerMode || slide);
            w.updateStatusTexts();
            w.updateTitle();
        },
        [&w](int id) { return id == ID_VIEWER ? !w.m_ViewerMode : w.m_ViewerMode; });
    commands.add(ID_EXIT, [&w] { w.close(); });
    commands.add(
        ID_VIEW_TOOLBAR,
        [&w] {
            w.m_ToolbarOn = !w.m_ToolbarOn;
            w.m_BrowserBar->setVisible(!w.m_ViewerMode && w.m_ToolbarOn);
            w.m_ViewerBar->setVisible(w.m_ViewerMode && w.m_ToolbarOn);
        },
        {}, [&w] { return w.m_ToolbarOn; });
    commands.add(
        ID_VIEW_STATUS_BAR, [&w] { w.statusBar()->setVisible(!w.statusBar()->isVisible()); }, {},
        [&w] { return !w.statusBar()->isHidden(); });
    commands.add(ID_ASSOCIATIONS, [&w] { RunAssociationsDialog(&w); });
}
