#include "app/OptionsCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "browser/StatusTexts.h"
#include "platform/Directory.h"
#include "view/Preview.h"

void COptionsCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    commands.add(ID_OPTIONS, [&window] { showOptions(window); });
}

void COptionsCommands::showOptions(CMainWindow& w)
{
    COptionsDialog dialog(w.m_Settings, &w);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CSettings before = w.m_Settings;
    dialog.store(w.m_Settings);
    refresh(w, before);
}

void COptionsCommands::refresh(CMainWindow& w, const CSettings& before)
{
    CSettings& now = w.m_Settings;
    if (now.HideNonImages != before.HideNonImages) {
        // Listed again as by the View menu's command, which keeps the selection.
        now.HideNonImages = before.HideNonImages;
        w.toggleListOption(ID_HIDE_NON_IMAGES);
    }

    CPreview& view = *w.m_Preview;
    if (w.m_ViewerMode) {
        if (now.ViewerShrink != before.ViewerShrink || now.ViewerEnlarge != before.ViewerEnlarge)
            view.fitAgain(kPlaceCentre, now.ViewerShrink != 0, now.ViewerEnlarge != 0);
    } else {
        const bool currentShown = view.hasImage() && w.m_ShownName == w.m_CurrentFile &&
                                  w.m_ShownFolder == w.m_Navigator.CurrentFolder();
        if (now.EnablePreview && !before.EnablePreview && !w.m_CurrentFile.empty() && !currentShown &&
            !view.isLoading())
            w.loadCurrent(false);
        else if (now.PreviewShrink != before.PreviewShrink || now.PreviewEnlarge != before.PreviewEnlarge)
            view.fitAgain(now.PreviewPlacement, now.PreviewShrink != 0, now.PreviewEnlarge != 0);
    }

    // Sizes in the chosen units, and the title with or without the folder.
    w.updateStatusTexts();
    const std::string& folder = w.m_Navigator.CurrentFolder();
    if (!folder.empty())
        w.setPane(CMainWindow::kFreeSpacePane, QString::fromStdString(FreeSpaceText(FreeSpace(folder), now.FileSizeUnit)));
    w.imageChanged();
}
