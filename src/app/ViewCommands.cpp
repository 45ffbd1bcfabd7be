#include "app/ViewCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "view/Preview.h"

void CViewCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto hasImage = [&w] { return w.m_Preview->hasImage(); };

    commands.add(
        ID_RELOAD,
        [&w] {
            if (!w.m_ShownName.empty())
                w.loadPath(w.m_ShownFolder, w.m_ShownName);
        },
        [&w] { return !w.m_ShownName.empty(); });
    commands.add(ID_COPY_IMAGE, [&w] { w.copyImage(); }, hasImage);
    commands.add(ID_PASTE_NEW_IMAGE, [&w] { w.pasteNewImage(); });
    commands.add(ID_WALLPAPER, [&w] { w.setWallpaper(); }, hasImage);
    commands.add({ID_NEXT, ID_PREVIOUS, ID_FIRST, ID_LAST}, [&w](int id) { w.stepImage(id); },
                 [&w](int) { return w.m_ViewerMode && w.m_Listing.RowCount() > 0; });

    // 100 % is one command for both (ID_ZOOM_100 is ID_PREVIEW_ZOOM_100):
    // enabled whenever an image is shown.
    auto zoom = [&w](int id) { w.zoomCommand(id); };
    commands.add({ID_ZOOM_MORE, ID_ZOOM_LESS, ID_ZOOM_25, ID_ZOOM_50, ID_ZOOM_75, ID_ZOOM_150,
                  ID_ZOOM_200, ID_ZOOM_300, ID_ZOOM_500, ID_ZOOM_1000, ID_ZOOM_1600, ID_BEST_FIT, ID_ACTUAL_SIZE},
                 zoom, [&w](int) { return w.m_ViewerMode && w.m_Preview->hasImage(); });
    commands.add({ID_PREVIEW_ZOOM_25, ID_PREVIEW_ZOOM_50, ID_PREVIEW_ZOOM_75, ID_PREVIEW_ZOOM_100,
                  ID_PREVIEW_ZOOM_150, ID_PREVIEW_ZOOM_200, ID_PREVIEW_ZOOM_300, ID_PREVIEW_ZOOM_500,
                  ID_PREVIEW_ZOOM_1000, ID_PREVIEW_ZOOM_1600},
                 zoom, [&w](int) { return w.m_Preview->hasImage(); });
}
