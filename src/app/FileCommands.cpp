#include "app/FileCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/JobProgressDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/NewFolderDialog.h"
#include "app/RenameDialog.h"
#include "app/RenameSeriesDialog.h"
#include "base/FileName.h"
#include "jobs/DeleteJob.h"
#include "jobs/FolderRename.h"
#include "platform/Directory.h"
#include "platform/FileOps.h"

#include <cerrno>
#include <map>
#include <utility>

namespace {

// The folder tree's context menu: Delete and Rename of the current folder.
constexpr int kTreeDelete = 235;
constexpr int kTreeRename = 236;
// Failures listed one a line in a closing message; the rest are counted.
constexpr size_t kListedFailures = 20;

// "Rename Se&ries..." remembers its last choice for the session.
bool s_SeriesSelectedOnly = false;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString FailureList(const std::vector<std::string>& failures)
{
    QStringList lines;
    for (size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
        lines << Text(failures[i]);
    if (failures.size() > kListedFailures)
        lines << QStringLiteral("... and %1 more").arg(failures.size() - kListedFailures);
    return lines.join(QLatin1Char('\n'));
}

// A file's name as Rename shows it (up to the last ".") and what it keeps
// (the rest, "." included). A name that only starts with "." is all base.
void SplitForRename(const std::string& name, std::string& base, std::string& kept)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) {
        base = name;
        kept.clear();
        return;
    }
    base = name.substr(0, dot);
    kept = name.substr(dot);
}

bool IsWithin(const std::string& path, const std::string& folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              (folder.back() == '/' || path[folder.size()] == '/'));
}

} // namespace

void CFileCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    const auto hasFolder = [&w] { return !w.m_Navigator.CurrentFolder().empty(); };
    const auto folderInBrowser = [&w, hasFolder] { return !w.m_ViewerMode && hasFolder(); };

    // The viewer deletes the image it shows; the browser the selected files,
    // or the folder when none is selected.
    commands.add(ID_DELETE, [&w] { deleteFiles(w); },
                 [&w, hasFolder] { return w.m_ViewerMode ? !w.m_CurrentFile.empty() : hasFolder(); });
    commands.add(
        kTreeDelete,
        [&w] {
            w.m_DeleteFolderRequest = true;
            deleteFiles(w);
            w.m_DeleteFolderRequest = false;
        },
        folderInBrowser);

    commands.add(ID_RENAME, [&w] { rename(w); }, [&w] {
        if (!w.m_CurrentFile.empty())
            return true;
        return !w.m_ViewerMode && !w.m_Navigator.CurrentFolder().empty() &&
               !IsRootFolder(w.m_Navigator.CurrentFolder());
    });
    commands.add(
        kTreeRename,
        [&w] {
            w.m_RenameFolderRequest = true;
            rename(w);
            w.m_RenameFolderRequest = false;
        },
        [&w, folderInBrowser] { return folderInBrowser() && !IsRootFolder(w.m_Navigator.CurrentFolder()); });

    commands.add(ID_RENAME_SERIES, [&w] { renameSeries(w); },
                 [&w, folderInBrowser] { return folderInBrowser() && w.m_Listing.RowCount() > 0; });
    commands.add(ID_NEW_FOLDER, [&w] { newFolder(w); }, folderInBrowser);
}

void CFileCommands::deleteFiles(CMainWindow& w)
{
    const bool folderRequest = std::exchange(w.m_DeleteFolderRequest, false);
    const std::string folder = w.m_Navigator.CurrentFolder();
    if (folder.empty())
        return;
    const CSettings& s = w.m_Settings;
    w.m_Listing.UpdateSelection();
    std::vector<std::string> names;
    if (w.m_ViewerMode) {
        if (w.m_CurrentFile.empty())
            return;
        names.push_back(w.m_CurrentFile);
    } else if (!folderRequest) {
        names = w.m_Listing.SelectedNames();
    }
    const bool folderMode = names.empty();

    DeleteRequest request;
    request.UseTrash = s.UseRecycleBin != 0;
    if (folderMode) {
        // Never asked about, whatever the options say.
        if (const std::string refusal = DeleteRefusal(folder); !refusal.empty()) {
            MessageBox::Error(&w, Text("Can't delete the '" + folder + "' folder.\n" + refusal));
            return;
        }
        const std::string name = FileNamePart(folder);
        std::vector<DirectoryEntry> entries;
        // A folder that cannot be read counts as holding something.
        const bool empty = ReadDirectory(folder, entries) && entries.empty();
        if (empty && s.ConfirmEmptyFolderDelete &&
            !MessageBox::AskYesNo(&w, Text("Do you really want to delete the folder '" + name + "'?\n\n")))
            return;
        if (!empty && s.ConfirmNonEmptyFolderDelete &&
            !MessageBox::AskYesNo(&w, Text("Do you really want to delete the folder '" + name +
                                           "' and all its contents?\n\n")))
            return;
        request.Paths.push_back(folder);
    } else {
        if (names.size() == 1 && s.ConfirmSingleDelete &&
            !MessageBox::AskYesNo(&w, QStringLiteral("Do you really want to delete the 1 selected file?\n\n")))
            return;
        if (names.size() > 1 && s.ConfirmMultipleDelete &&
            !MessageBox::AskYesNo(&w, QStringLiteral("Do you really want to delete the %1 selected files?\n\n")
                                          .arg(names.size())))
            return;
        for (const std::string& name : names)
            request.Paths.push_back(JoinPath(folder, name));
    }

    CDeleteJob job;
    job.SetRequest(std::move(request));
    {
        CJobProgressDialog dialog(QStringLiteral("Delete"), job, &w);
        dialog.run();
    }
    afterDelete(w, folderMode, folder);
}

void CFileCommands::afterDelete(CMainWindow& w, bool folderMode, const std::string& folder)
{
    w.m_PasteSource.Names.clear();
    if (folderMode) {
        // The parent is browsed once the folder is gone; a folder left after
        // a cancel or a failure stays shown with what is left in it.
        if (!IsFolder(folder))
            w.m_Navigator.SetFolder(FolderPart(folder));
        w.listFolder();
        w.showFolder(true);
        w.addToAddressList();
    } else {
        w.listFolder();
    }
    if (w.m_Settings.SelectAfterDelete || w.m_ViewerMode) {
        if (w.m_Listing.RowCount() == 0) {
            w.m_CurrentFile.clear();
            w.clearPreview();
        } else {
            w.focusRow(0, w.m_ViewerMode);
        }
    } else {
        w.clearPreview();
    }
    w.updateStatusTexts();
    w.updateActions();
}

void CFileCommands::rename(CMainWindow& w)
{
    const bool folderRequest = std::exchange(w.m_RenameFolderRequest, false);
    if (!folderRequest && !w.m_CurrentFile.empty())
        renameFile(w);
    else if (!w.m_ViewerMode)
        renameFolder(w);
}

void CFileCommands::renameFile(CMainWindow& w)
{
    const std::string folder = w.m_Navigator.CurrentFolder();
    const std::string oldName = w.m_CurrentFile;
    std::string base, kept;
    SplitForRename(oldName, base, kept);
    const QString question = Text("Rename '" + base + "' to");
    QString text = Text(base);
    std::string newName;
    for (;;) {
        if (!CRenameDialog::Ask(&w, question, text) || text.isEmpty())
            return;
        const std::string typed = text.toStdString();
        if (const std::string problem = CheckTypedName(typed); !problem.empty()) {
            MessageBox::Error(&w, Text(problem));
            continue;
        }
        newName = typed + kept;
        const int error = RenameInFolder(folder, oldName, newName);
        if (error == 0)
            break;
        MessageBox::Error(&w, Text(RenameFailureText(error, false)));
    }

    w.listFolder();
    w.m_PasteSource.Names.clear();
    const long row = w.m_Listing.FindRow(newName);
    if (row >= 0) {
        w.focusRow(row, w.m_ViewerMode);
    } else {
        w.m_CurrentFile.clear();
        w.clearPreview();
    }
    w.updateStatusTexts();
    w.updateActions();
}

void CFileCommands::renameFolder(CMainWindow& w)
{
    const std::string folder = w.m_Navigator.CurrentFolder();
    if (folder.empty() || IsRootFolder(folder))
        return;
    const std::string name = FileNamePart(folder);
    const std::string parent = FolderPart(folder);
    const QString question = Text("Rename the directory '" + name + "' to");
    QString text = Text(name);
    std::string newName;
    for (;;) {
        if (!CRenameDialog::Ask(&w, question, text) || text.isEmpty())
            return;
        newName = text.toStdString();
        if (const std::string problem = CheckTypedName(newName); !problem.empty()) {
            MessageBox::Error(&w, Text(problem));
            continue;
        }
        const int error = RenameInFolder(parent, name, newName);
        if (error == 0)
            break;
        MessageBox::Error(&w, Text(RenameFailureText(error, true)));
    }

    const std::string renamed = JoinPath(parent, newName);
    w.m_PasteSource.Names.clear();
    // A marked folder inside the renamed one moved with it.
    if (w.m_PasteSource.FolderSource && IsWithin(w.m_PasteSource.Folder, folder))
        w.m_PasteSource.Folder = renamed + w.m_PasteSource.Folder.substr(folder.size());
    w.m_Navigator.SetFolder(renamed);
    w.listFolder();
    w.showFolder(true);
    w.addToAddressList();
    w.clearPreview();
    w.updateStatusTexts();
    w.updateActions();
}

void CFileCommands::renameSeries(CMainWindow& w)
{
    const std::string folder = w.m_Navigator.CurrentFolder();
    if (folder.empty() || w.m_Listing.RowCount() == 0)
        return;
    w.m_Listing.UpdateSelection();
    std::vector<std::string> rows;
    rows.reserve(w.m_Listing.RowCount());
    for (size_t row = 0; row < w.m_Listing.RowCount(); ++row)
        rows.push_back(w.m_Listing.ItemAtRow(row).Name);
    const std::vector<std::string> selected = w.m_Listing.SelectedNames();
    const bool canSelectedOnly = !selected.empty();

    const bool fromSelected = s_SeriesSelectedOnly && canSelectedOnly;
    const std::string first =
        !fromSelected ? rows.front() : !w.m_CurrentFile.empty() ? w.m_CurrentFile : selected.front();
    QString text = Text(NameWithoutExtension(first));
    bool selectedOnly = fromSelected;
    std::string base;
    for (;;) {
        CRenameSeriesDialog dialog(text, selectedOnly, canSelectedOnly, &w);
        if (dialog.exec() != QDialog::Accepted)
            return;
        text = dialog.name();
        selectedOnly = dialog.selectedOnly();
        s_SeriesSelectedOnly = selectedOnly;
        if (text.isEmpty())
            continue;
        base = text.toStdString();
        if (const std::string problem = CheckTypedName(base); !problem.empty()) {
            MessageBox::Error(&w, Text(problem));
            continue;
        }
        break;
    }

    const std::vector<SeriesStep> steps = RenameSeries(folder, rows, selectedOnly ? selected : rows, base);
    std::map<std::string, std::string> renamed;
    std::vector<std::string> failures;
    for (const SeriesStep& step : steps) {
        if (step.Error == 0)
            renamed[step.From] = step.To;
        else
            failures.push_back("Can't rename " + step.From + " to " + step.To + ": " + ErrorText(step.Error));
    }

    // The same files stay selected and current under their new names.
    const auto newNameOf = [&renamed](const std::string& name) {
        const auto it = renamed.find(name);
        return it == renamed.end() ? name : it->second;
    };
    std::vector<std::string> previous;
    previous.reserve(selected.size());
    for (const std::string& name : selected)
        previous.push_back(newNameOf(name));
    const std::string current = w.m_CurrentFile.empty() ? std::string() : newNameOf(w.m_CurrentFile);
    if (w.m_ShownFolder == folder && !w.m_ShownName.empty())
        w.m_ShownName = newNameOf(w.m_ShownName);
    w.listFolder();
    w.m_Listing.RestoreSelection(previous, current);
    w.m_FileList->pushSelection();
    const long row = current.empty() ? -1 : w.m_Listing.FindRow(current);
    if (row >= 0) {
        w.m_CurrentFile = w.m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
        w.m_FileList->setCurrentRow(row, false);
    }
    w.m_PasteSource.Names.clear();
    w.updateTitle();
    w.updateStatusTexts();
    w.updateActions();
    if (!failures.empty())
        MessageBox::Error(&w, FailureList(failures));
}

void CFileCommands::newFolder(CMainWindow& w)
{
    const std::string folder = w.m_Navigator.CurrentFolder();
    if (folder.empty())
        return;
    QString text;
    for (;;) {
        CNewFolderDialog dialog(text, &w);
        if (dialog.exec() != QDialog::Accepted || dialog.name().isEmpty())
            return;
        text = dialog.name();
        const std::string name = text.toStdString();
        if (const std::string problem = CheckTypedName(name); !problem.empty()) {
            MessageBox::Error(&w, Text("Can't create directory.\n" + problem));
            continue;
        }
        const int error = MakeNewFolder(folder, name);
        if (error == 0)
            break;
        MessageBox::Error(&w, Text("Can't create directory.\n" +
                                   (error == EEXIST ? std::string("A file or folder of this name exists.")
                                                    : ErrorText(error))));
    }
    // The file list shows files only: the tree shows the new folder.
    w.showFolder(true);
}
