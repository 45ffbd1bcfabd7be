#include "app/ConvertCommands.h"

#include "app/CommandDispatcher.h"
#include "app/CommandTable.h"
#include "app/ConvertDialog.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/RenameDialog.h"
#include "app/SaveCommands.h"
#include "platform/Trash.h"
#include "save/ConvertRun.h"
#include "view/Preview.h"

#include <QProgressDialog>

#include <memory>

namespace {

// Runs with more files than this show a progress dialog with Cancel.
constexpr size_t kProgressFrom = 4;

class CWindowConvertHost : public IConvertHost {
public:
    CWindowConvertHost(QWidget* parent, std::function<void(const QString&)> status, size_t files)
        : m_Parent(parent), m_Save(parent, std::move(status))
    {
        if (files < kProgressFrom)
            return;
        m_Progress = std::make_unique<QProgressDialog>(QStringLiteral("Converting..."), QStringLiteral("Cancel"), 0,
                                                       static_cast<int>(files), parent);
        m_Progress->setWindowModality(Qt::WindowModal);
        m_Progress->setMinimumDuration(500);
    }
    ~CWindowConvertHost() override
    {
        if (m_Progress)
            m_Progress->setValue(m_Progress->maximum());
    }

    bool ShowOptions(const SaveFormatRow& format, CSettings& settings) override
    {
        return m_Save.ShowOptions(format, settings);
    }
    void Status(const std::string& text) override { m_Save.Status(text); }
    void BeginWrite() override { m_Save.BeginWrite(); }
    void EndWrite() override { m_Save.EndWrite(); }
    void Message(const std::string& text) override { m_Save.Message(text); }

    bool AskYesNo(const std::string& text) override
    {
        return MessageBox::AskYesNo(m_Parent, QString::fromStdString(text));
    }
    bool AskName(const std::string& prompt, const std::string& initial, std::string& name) override
    {
        QString text = QString::fromStdString(initial);
        if (!CRenameDialog::Ask(m_Parent, QString::fromStdString(prompt), text))
            return false;
        name = text.toStdString();
        return true;
    }
    bool RemoveFile(const std::string& path, bool toTrash) override
    {
        // The same trash as the delete job's, so the desktop can restore either.
        IFileOps& ops = SystemFileOps();
        return (toTrash ? MoveToTrash(path, ops) : ops.Unlink(path)) == 0;
    }
    bool Progress(size_t done, size_t total) override
    {
        if (!m_Progress)
            return true;
        m_Progress->setValue(static_cast<int>(done));
        return !m_Progress->wasCanceled();
    }

private:
    QWidget* m_Parent;
    CWindowSaveFeedback m_Save;
    std::unique_ptr<QProgressDialog> m_Progress;
};

} // namespace

void CConvertCommands::registerWith(CCommandDispatcher& commands, CMainWindow& w)
{
    commands.add(ID_CONVERT, [&w] { convert(w); },
                 [&w] { return w.m_Listing.SelectedCount() > 0 || (w.m_ViewerMode && !w.m_CurrentFile.empty()); });
}

void CConvertCommands::convert(CMainWindow& w)
{
    CConvertDialog dialog(w.m_Settings, &w);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CSettings& s = w.m_Settings;
    ConvertRequest request;
    request.Folder = w.m_Navigator.CurrentFolder();
    request.Names = w.m_Listing.SelectedNames();
    // The viewer converts the image it shows when nothing is selected.
    if (request.Names.empty() && !w.m_CurrentFile.empty())
        request.Names.push_back(w.m_CurrentFile);
    request.FormatIndex = s.ConvertFormat;
    request.ReplaceOriginal = s.ConvertReplaceOriginal != 0;
    request.Overwrite = s.ConvertOverwrite;
    request.UpperCaseExtension = s.UpperCaseExtension != 0;
    request.UseRecycleBin = s.UseRecycleBin != 0;

    ConvertResult result;
    {
        CWindowConvertHost host(
            &w, [&w](const QString& text) { w.setPane(CMainWindow::kStatePane, text); }, request.Names.size());
        result = ConvertFiles(request, w.m_Settings, host);
    }

    // The folder again, and the row to go on from.
    if (s.SelectAfterConvert && !result.LastTarget.empty()) {
        CSaveCommands::relist(w, std::string());
        const long row = w.m_Listing.FindRow(result.LastTarget);
        if (row >= 0) {
            w.m_Listing.UnselectAll();
            w.focusRow(row, w.m_ViewerMode);
        }
    } else if (request.ReplaceOriginal) {
        CSaveCommands::relist(w, std::string());
        if (w.m_Listing.RowCount() > 0) {
            w.m_Listing.UnselectAll();
            w.focusRow(0, w.m_ViewerMode);
        } else {
            w.clearPreview();
        }
    } else {
        // The file current before the command stays current.
        CSaveCommands::relist(w, std::string());
    }
    w.updateStatusTexts();
    w.updateActions();
}
