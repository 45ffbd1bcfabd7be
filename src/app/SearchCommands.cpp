#include "app/SearchCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/CompareDialogs.h"
#include "app/FileListView.h"
#include "app/FindFilesDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "platform/Directory.h"

void CSearchCommands::registerWith(CCommandDispatcher& commands, CMainWindow& window)
{
    struct Search {
        // "&Find Files...": the dialog, then (with "&Go to file") the result chosen.
        static void find(CMainWindow& w)
        {
            CFindFilesDialog dialog(w.m_Settings, w.m_Navigator.CurrentFolder(), &w);
            dialog.exec();
            const std::string name = dialog.placeName();
            if (!dialog.goToFile() || name.empty())
                return;
            if (!w.goToFolder(dialog.placeFolder(), name))
                return;
            if (w.m_Listing.FindRow(name) < 0)
                MessageBox::Error(&w, QString::fromStdString(name + " not found."));
        }

        // "Compare &Directories...": settings, results, and again after "&New".
        static void compare(CMainWindow& w)
        {
            std::string destination;
            for (;;) {
                const std::string source = w.m_Navigator.CurrentFolder();
                CCompareSettingsDialog settings(w.m_Settings, source, destination, &w);
                if (settings.exec() != QDialog::Accepted)
                    return;
                destination = settings.destination();
                CCompareResultsDialog results(w.m_Settings, source, destination, &w);
                const int result = results.exec();
                switch (result) {
                case CCompareResultsDialog::kNew:
                    continue;
                case CCompareResultsDialog::kGoToSource:
                    selectIn(w, source, results.names());
                    return;
                case CCompareResultsDialog::kGoToDestination:
                    selectIn(w, destination, results.names());
                    return;
                default:
                    // Files may have been deleted: the folder again, the current file kept.
                    w.refresh();
                    return;
                }
            }
        }

        // The browser shows the folder with the named files selected.
        static void selectIn(CMainWindow& w, const std::string& folder, const std::vector<std::string>& names)
        {
            if (!IsFolder(folder)) {
                MessageBox::Error(&w, QString::fromStdString(folder + " not found."));
                w.refresh();
                return;
            }
            if (!w.goToFolder(folder))
                return;
            w.m_Listing.UnselectAll();
            long first = -1;
            for (const std::string& name : names) {
                const long row = w.m_Listing.FindRow(name);
                if (row < 0)
                    continue;
                w.m_Listing.SetSelected(static_cast<size_t>(row), true);
                if (first < 0 || row < first)
                    first = row;
            }
            w.m_Listing.UpdateSelection();
            w.m_FileList->pushSelection();
            if (first >= 0)
                w.focusRow(first, false);
            w.updateStatusTexts();
            w.updateActions();
        }
    };

    const auto hasFolder = [&window] { return !window.m_Navigator.CurrentFolder().empty(); };
    commands.add(ID_FIND, [&window] { Search::find(window); }, hasFolder);
    commands.add(ID_COMPARE, [&window] { Search::compare(window); }, hasFolder);
}
