// Save (Ctrl+S) and Save As: the shown image written through SaveImage, the
// options dialogs, and the window's side of saving (status text, wait cursor,
// messages) that Convert uses too.
#pragma once

#include "save/SaveImage.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class CCommandDispatcher;
class CMainWindow;
class QWidget;

// SaveImage's questions and feedback as the window gives them.
class CWindowSaveFeedback : public ISaveFeedback {
public:
    CWindowSaveFeedback(QWidget* parent, std::function<void(const QString&)> status)
        : m_Parent(parent), m_Status(std::move(status))
    {
    }
    bool ShowOptions(const SaveFormatRow& format, CSettings& settings) override;
    void Status(const std::string& text) override;
    void BeginWrite() override;
    void EndWrite() override;
    void Message(const std::string& text) override;

private:
    QWidget* m_Parent;
    std::function<void(const QString&)> m_Status;
};

class CSaveCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

    // Save As with the name proposed (the shown image's name; empty for an
    // image without a file). True when the image was written; the modified
    // mark is cleared then. relistLater: the folder is listed again once the
    // caller (a load or close that asked first) has finished.
    static bool saveAs(CMainWindow& window, const std::string& name, bool relistLater = false);
    // Save: over the file the shown image came from; Save As when it has none
    // or its extension names no writable format.
    static bool save(CMainWindow& window);

    // The file dialog: returns the chosen path (empty on Cancel) and the
    // chosen filter's index. Tests put their own in; empty brings QFileDialog back.
    using FileDialog = std::function<QString(QWidget* parent, const QString& folder, const QString& proposedName,
                                             const QStringList& filters, int& filterIndex)>;
    static void SetFileDialog(FileDialog dialog);
    // The Save As filters, in their order.
    static QStringList Filters();

    // Lists the folder again without loading anything: the selection is kept,
    // and focusName (when given and listed) becomes the current row.
    static void relist(CMainWindow& window, const std::string& focusName);

private:
    // After a successful write the shown image is that file.
    static void afterSave(CMainWindow& window, const std::string& path, bool relistLater);
};
