#include "app/PasteCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/ConfirmReplaceDialog.h"
#include "app/CopyToDialog.h"
#include "app/FileListView.h"
#include "app/JobProgressDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/QueuedJobOwner.h"
#include "base/FileName.h"
#include "jobs/PasteJob.h"
#include "platform/FileOps.h"

#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace {

// The folder tree's own Copy and Cut: they act on the folder as a whole.
constexpr int kTreeCopy = 237, kTreeCut = 238;

const char* const kToItself = "You cannot copy/move a file or directory to itself.";
const char* const kSelectAnother = "You must select another directory.";
const char* const kNoSpace = "Not enough free space on target drive.";
const char* const kNothingMarked = "Nothing is marked to paste. Mark files or a folder with Copy or Cut first.";

// Both name the same folder, by device and inode ("/." follows a link).
bool SameFolder(const std::string& a, const std::string& b)
{
    IFileOps& ops = SystemFileOps();
    FileStatus first, second;
    return ops.LinkStatus(a + "/.", first) == 0 && ops.LinkStatus(b + "/.", second) == 0 && first.SameAs(second);
}

// True when the destination's volume is known to have less room than needed.
bool LacksSpace(const std::string& destination, uint64_t required)
{
    VolumeSpace space;
    return SystemFileOps().Space(destination, space) == 0 && space.Free < required;
}

OverwriteMode OverwriteOf(const CSettings& settings)
{
    return static_cast<OverwriteMode>(std::clamp<int32_t>(settings.OverwriteExisting, 0, 3));
}

PasteRequest RequestOf(const PasteSource& source, const std::string& destination, const CSettings& settings)
{
    PasteRequest request;
    if (source.FolderSource)
        request.Sources.push_back(source.Folder);
    else
        for (const std::string& name : source.Names)
            request.Sources.push_back(JoinPath(source.Folder, name));
    request.Destination = destination;
    request.Move = !source.Copy;
    request.Overwrite = OverwriteOf(settings);
    return request;
}

// The files the command acts on: the selection, or in the viewer the image shown.
std::vector<std::string> SelectedFiles(CMainWindow& w, uint64_t& size)
{
    std::vector<std::string> names = w.listing().SelectedNames();
    size = w.listing().SelectedSize();
    if (names.empty() && w.viewerMode() && !w.currentFile().empty()) {
        names.push_back(w.currentFile());
        const long row = w.listing().FindRow(w.currentFile());
        size = row >= 0 ? w.listing().ItemAtRow(static_cast<size_t>(row)).Size : 0;
    }
    return names;
}

// Below the progress dialog (above it when there is no room), so that its
// Cancel stays in sight.
void PlaceBeside(QWidget& widget, const QWidget& progress)
{
    const QRect under = progress.frameGeometry();
    const QScreen* screen = progress.screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(under.topLeft(), QSize(4096, 4096));
    const QSize size = widget.frameGeometry().size();
    QPoint at(under.center().x() - size.width() / 2, under.bottom() + 8);
    if (at.y() + size.height() > area.bottom())
        at.setY(under.top() - 8 - size.height());
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
    widget.move(at);
}

} // namespace

void CPasteCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    auto inFolder = [&w] { return !w.m_Navigator.CurrentFolder().empty(); };
    auto inBrowser = [&w] { return !w.m_ViewerMode && !w.m_Navigator.CurrentFolder().empty(); };
    auto hasFiles = [&w] {
        return w.m_Listing.SelectedCount() > 0 || (w.m_ViewerMode && !w.m_CurrentFile.empty());
    };

    commands.add(ID_COPY, [&w] { mark(w, true); }, inFolder);
    commands.add(ID_CUT, [&w] { mark(w, false); }, inBrowser);
    commands.add(
        kTreeCopy,
        [&w] {
            w.m_CopyFolderRequest = true;
            mark(w, true);
        },
        inBrowser);
    commands.add(
        kTreeCut,
        [&w] {
            w.m_CutFolderRequest = true;
            mark(w, false);
        },
        inBrowser);
    commands.add(ID_PASTE, [&w] { paste(w); }, inBrowser);
    commands.add(ID_COPY_TO, [&w] { copyTo(w, true); }, hasFiles);
    commands.add(ID_MOVE_TO, [&w] { copyTo(w, false); }, hasFiles);
}

void CPasteCommands::mark(CMainWindow& w, bool copy)
{
    const bool folderRequest = w.m_CopyFolderRequest || w.m_CutFolderRequest;
    w.m_CopyFolderRequest = w.m_CutFolderRequest = false;
    PasteSource& source = w.m_PasteSource;
    source.Copy = copy;
    source.Folder = w.m_Navigator.CurrentFolder();
    uint64_t size = 0;
    std::vector<std::string> names = folderRequest ? std::vector<std::string>() : SelectedFiles(w, size);
    // Nothing selected, or the tree's request: the folder itself. Its tree is
    // read when it is pasted, so what is pasted is what the folder holds then.
    source.FolderSource = names.empty();
    source.Names = std::move(names);
    source.TotalSize = size;
    w.updateActions();
}

void CPasteCommands::paste(CMainWindow& w)
{
    PasteSource& source = w.m_PasteSource;
    if (source.Empty()) {
        MessageBox::Information(&w, QString::fromLatin1(kNothingMarked));
        return;
    }
    const std::string destination = w.m_Navigator.CurrentFolder();
    if (SameFolder(source.Folder, destination)) {
        MessageBox::Error(&w, QString::fromLatin1(kToItself));
        return;
    }
    const PasteRequest request = RequestOf(source, destination, w.m_Settings);
    // A folder into itself or one of its subfolders, or into the folder that
    // holds it; a destination that cannot be read.
    if (const std::string refusal = PasteRefusal(request); !refusal.empty()) {
        MessageBox::Error(&w, QString::fromStdString(refusal));
        return;
    }
    if (LacksSpace(destination, CPasteJob::RequiredBytes(request.Sources))) {
        MessageBox::Error(&w, QString::fromLatin1(kNoSpace));
        return;
    }
    if (w.m_Settings.ConfirmCopyMove) {
        QString question;
        if (source.FolderSource)
            question = QString::fromStdString(std::string("Do you want to ") + (source.Copy ? "copy '" : "move '") +
                                              FileNamePart(source.Folder) + "' to '" + destination + "'");
        else
            question = QString::fromStdString(std::string(source.Copy ? "Copy " : "Move ") +
                                              std::to_string(source.Names.size()) + " file(s)\n\nFrom: " +
                                              source.Folder + "\nTo:    " + destination);
        if (!MessageBox::AskYesNo(&w, question))
            return;
    }

    const bool folderPaste = source.FolderSource;
    const std::string last = source.Names.empty() ? std::string() : source.Names.back();
    run(w, request, source.Folder);
    source.Names.clear();
    // A moved folder is gone: pasting it again has nothing to carry.
    if (folderPaste && !source.Copy)
        source.FolderSource = false;
    afterPaste(w, last, folderPaste);
}

void CPasteCommands::copyTo(CMainWindow& w, bool copy)
{
    uint64_t size = 0;
    std::vector<std::string> names = SelectedFiles(w, size);
    if (names.empty())
        return;
    PasteSource& source = w.m_PasteSource;
    source.Copy = copy;
    source.Folder = w.m_Navigator.CurrentFolder();
    source.FolderSource = false;
    source.Names = std::move(names);
    source.TotalSize = size;

    CCopyToDialog::Setup setup;
    setup.Copy = copy;
    setup.Source = source.Folder;
    setup.SourceText = source.Names.size() == 1
                           ? QString::fromStdString(JoinPath(source.Folder, source.Names.front()))
                           : QStringLiteral("%1 files in %2").arg(source.Names.size()).arg(QString::fromStdString(source.Folder));
    setup.Destination = source.Folder;
    setup.Recent = w.m_Recent.Items();
    for (size_t i = 0; i < w.m_Favourites.Count(); ++i)
        setup.Favourites.push_back(w.m_Favourites.GetFavourite(i).Folder);
    setup.ShowHidden = w.m_Settings.ShowHiddenFiles != 0;
    setup.Refusal = [&w](const std::string& destination) {
        if (SameFolder(w.m_PasteSource.Folder, destination))
            return QString::fromLatin1(kSelectAnother);
        return QString::fromStdString(PasteRefusal(RequestOf(w.m_PasteSource, destination, w.m_Settings)));
    };
    CCopyToDialog dialog(std::move(setup), &w);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    const std::string destination = chosen ? dialog.destination() : std::string();
    if (!chosen || destination.empty()) {
        source.Names.clear();
        return;
    }
    if (SameFolder(destination, w.m_Navigator.CurrentFolder())) {
        MessageBox::Error(&w, QString::fromLatin1(kSelectAnother));
        source.Names.clear();
        return;
    }
    const PasteRequest request = RequestOf(source, destination, w.m_Settings);
    if (LacksSpace(destination, CPasteJob::RequiredBytes(request.Sources))) {
        MessageBox::Error(&w, QString::fromLatin1(kNoSpace));
        source.Names.clear();
        return;
    }

    const std::string last = source.Names.back();
    const bool done = run(w, request, source.Folder);
    source.Names.clear();
    if (w.m_Settings.SelectAfterCopyMove && done) {
        // The destination becomes the folder shown, with the last file current.
        if (!w.goToFolder(destination, last))
            w.refresh();
        return;
    }
    afterPaste(w, std::string(), false);
}

bool CPasteCommands::run(CMainWindow& w, const PasteRequest& request, const std::string& from)
{
    CPasteJob job;
    job.SetRequest(request);
    CJobProgressDialog dialog(request.Move ? QStringLiteral("Move") : QStringLiteral("Copy"), job, &w);
    dialog.setFromTo(QString::fromStdString(from), QString::fromStdString(request.Destination));

    // "Confirm Replace" stays beside the progress dialog, whose Cancel goes on
    // working: the job waits for an answer or for the cancel.
    QPointer<CConfirmReplaceDialog> asking;
    bool cancelled = false;
    QObject::connect(&dialog.owner(), &CQueuedJobOwner::askReplace, &dialog,
                     [&](const ReplaceQuestion& question) {
                         if (cancelled)
                             return;
                         if (asking)
                             asking->dismiss();
                         asking = new CConfirmReplaceDialog(question, &dialog);
                         QObject::connect(asking, &CConfirmReplaceDialog::answered, &dialog,
                                          [&job](int id, const QString& name) {
                                              job.AnswerReplace(static_cast<ReplaceAnswer>(id), name.toStdString());
                                          });
                         asking->adjustSize();
                         PlaceBeside(*asking, dialog);
                         asking->show();
                         asking->raise();
                         asking->activateWindow();
                     });
    QObject::connect(&dialog, &CJobProgressDialog::cancelRequested, &dialog, [&] {
        cancelled = true;
        if (asking)
            asking->dismiss();
    });
    const bool done = dialog.run();
    delete asking.data();
    return done;
}

void CPasteCommands::afterPaste(CMainWindow& w, const std::string& lastName, bool folderPasted)
{
    const std::string current = w.m_CurrentFile;
    w.listFolder();
    if (folderPasted)
        w.showFolder(true);
    long row = -1;
    if (w.m_Settings.SelectAfterCopyMove && !lastName.empty())
        row = w.m_Listing.FindRow(lastName);
    else if (!current.empty())
        row = w.m_Listing.FindRow(current);
    if (row >= 0) {
        w.focusRow(row, w.m_ViewerMode);
        w.m_Listing.UpdateSelection();
    } else {
        w.clearPreview();
    }
    w.updateStatusTexts();
    w.updateActions();
}
