#include "app/SaveCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/SaveDialogs.h"
#include "base/FileName.h"
#include "save/Writers.h"
#include "view/Preview.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <filesystem>
#include <system_error>

namespace {

CSaveCommands::FileDialog& FileDialogHook()
{
    static CSaveCommands::FileDialog hook;
    return hook;
}

QString RunFileDialog(QWidget* parent, const QString& folder, const QString& proposed, const QStringList& filters,
                      int& filterIndex)
{
    if (FileDialogHook())
        return FileDialogHook()(parent, folder, proposed, filters, filterIndex);
    QFileDialog dialog(parent, QStringLiteral("Save As"), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // Asked after the extension has its final case, so the file confirmed
    // is the file written.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterIndex));
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    filterIndex = filters.indexOf(dialog.selectedNameFilter());
    return dialog.selectedFiles().front();
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

bool CWindowSaveFeedback::ShowOptions(const SaveFormatRow& format, CSettings& settings)
{
    return ShowSaveOptions(format.Dialog, settings, m_Parent);
}

void CWindowSaveFeedback::Status(const std::string& text)
{
    if (m_Status)
        m_Status(QString::fromStdString(text));
}

void CWindowSaveFeedback::BeginWrite()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CWindowSaveFeedback::EndWrite()
{
    QApplication::restoreOverrideCursor();
}

void CWindowSaveFeedback::Message(const std::string& text)
{
    MessageBox::Error(m_Parent, QString::fromStdString(text));
}

void CSaveCommands::SetFileDialog(FileDialog dialog)
{
    FileDialogHook() = std::move(dialog);
}

QStringList CSaveCommands::Filters()
{
    QStringList filters;
    for (const SaveFormatRow& row : SaveFormats())
        if (row.Listed)
            filters << QString::fromStdString(SaveFilterText(row));
    return filters;
}

void CSaveCommands::relist(CMainWindow& w, const std::string& focusName)
{
    const std::vector<std::string> previous = w.m_Listing.SelectedNames();
    const std::string current = focusName.empty() ? w.m_CurrentFile : focusName;
    w.listFolder();
    w.m_Listing.RestoreSelection(previous, current);
    w.m_FileList->pushSelection();
    const long row = current.empty() ? -1 : w.m_Listing.FindRow(current);
    if (row >= 0) {
        // Named current first, so that focusing the row loads nothing.
        w.m_CurrentFile = w.m_Listing.ItemAtRow(static_cast<size_t>(row)).Name;
        w.m_FileList->setCurrentRow(row, !focusName.empty());
    }
    w.updateStatusTexts();
    w.updateActions();
}

void CSaveCommands::afterSave(CMainWindow& w, const std::string& path, bool relistLater)
{
    w.m_Preview->document().setModified(false);
    w.m_ShownFolder = FolderPart(path);
    w.m_ShownName = FileNamePart(path);
    // The file is selected when it is in the folder shown.
    std::error_code error;
    const bool listed = std::filesystem::equivalent(w.m_ShownFolder, w.m_Navigator.CurrentFolder(), error);
    if (listed)
        w.m_ShownFolder = w.m_Navigator.CurrentFolder();
    w.imageChanged();
    const std::string focus = listed ? w.m_ShownName : std::string();
    if (relistLater)
        QTimer::singleShot(0, &w, [&w] { relist(w, std::string()); });
    else
        relist(w, focus);
}

bool CSaveCommands::save(CMainWindow& w)
{
    if (w.m_ShownName.empty())
        return saveAs(w, std::string());
    const SaveFormatRow* format = SaveFormatOfExtension(Extension(w.m_ShownName));
    if (!format)
        return saveAs(w, w.m_ShownName);
    const std::string path = JoinPath(w.m_ShownFolder, w.m_ShownName);
    CWindowSaveFeedback feedback(&w, [&w](const QString& text) { w.setPane(CMainWindow::kStatePane, text); });
    if (!SaveImage(path, format->Code, false, true, w.m_Preview->image(), w.m_Settings, feedback))
        return false;
    afterSave(w, path, false);
    return true;
}

bool CSaveCommands::saveAs(CMainWindow& w, const std::string& name, bool relistLater)
{
    const QStringList filters = Filters();
    QString proposed = QString::fromStdString(name.empty() ? std::string("untitled") : NameWithoutExtension(name));
    const QString folder = QString::fromStdString(w.m_Navigator.CurrentFolder());
    int filterIndex = 0;
    for (;;) {
        QString chosen = RunFileDialog(&w, folder, proposed, filters, filterIndex);
        if (chosen.isEmpty())
            return false;
        std::string path = chosen.toStdString();
        // A name typed without extension takes the chosen filter's.
        if (Extension(FileNamePart(path)).empty()) {
            const SaveFormatRow* listed = nullptr;
            int index = 0;
            for (const SaveFormatRow& row : SaveFormats())
                if (row.Listed && index++ == std::max(filterIndex, 0))
                    listed = &row;
            path += std::string(".") + (listed ? listed->Extension : "bmp");
        }
        const SaveFormatRow* format = SaveFormatOfExtension(Extension(FileNamePart(path)));
        if (!format) {
            MessageBox::Error(&w, QString::fromStdString(NoWriterText(path)));
            return false;
        }
        path = WithExtensionCase(path, w.m_Settings.UpperCaseExtension != 0);
        if (Exists(path) &&
            !MessageBox::AskYesNo(&w, QString::fromStdString("File '" + FileNamePart(path) +
                                                             "' already exists. Overwrite it?"))) {
            proposed = QString::fromStdString(path);
            continue;
        }
        CWindowSaveFeedback feedback(&w, [&w](const QString& text) { w.setPane(CMainWindow::kStatePane, text); });
        if (!SaveImage(path, format->Code, true, true, w.m_Preview->image(), w.m_Settings, feedback))
            return false;
        afterSave(w, path, relistLater);
        return true;
    }
}

void CSaveCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    // Windows made without the program's start-up (tests) can save too.
    RegisterWriters();
    auto ready = [&w] { return w.imageReady(); };
    commands.add(ID_FILE_SAVE, [&w] { save(w); }, ready);
    commands.add(ID_FILE_SAVE_AS, [&w] { saveAs(w, w.m_ShownName); }, ready);
}
