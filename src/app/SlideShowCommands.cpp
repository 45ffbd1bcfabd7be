#include "app/SlideShowCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/SlideShowControl.h"
#include "view/Preview.h"

void CSlideShowCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    // From the browser: the viewer first, showing the image it had, then the show.
    commands.add(
        ID_SLIDE_SHOW,
        [&w] {
            w.setViewerMode(true);
            w.m_Preview->fitAgain(kPlaceCentre, w.m_Settings.ViewerShrink != 0, w.m_Settings.ViewerEnlarge != 0);
            w.updateStatusTexts();
            w.updateTitle();
            w.m_SlideShow->start();
        },
        [&w] {
            return !w.m_ViewerMode && !w.m_SlideShow->running() && w.m_Listing.RowCount() > 1 &&
                   !w.m_CurrentFile.empty() && w.m_Preview->hasImage();
        });
    commands.add(
        ID_SLIDE_RUN, [&w] { w.m_SlideShow->start(); },
        [&w] { return w.m_ViewerMode && !w.m_SlideShow->running() && w.m_Listing.RowCount() > 1; });
    commands.add(
        ID_SLIDE_STOP, [&w] { w.m_SlideShow->stop(true); }, [&w] { return w.m_SlideShow->running(); });
}
