// COperationRunner: runs a command's operation on the shown image the same way
// every time: progress text, wait cursor, the operation as a transaction
// (a failure shows the command's error text and changes nothing), the repaint
// and "  Done". Parameter dialogs go through it too, after OK.
#pragma once

#include "app/OperationDialog.h"

#include <QString>

#include <functional>
#include <memory>

class CPreview;
class CSettings;
class QWidget;

class COperationRunner {
public:
    using Operation = std::function<bool(CEditBmp&)>;  // true when the size changed
    using StateText = std::function<void(const QString&)>;

    COperationRunner(QWidget* parent, CPreview& view, CSettings& settings, StateText state);

    // Runs the command's operation on the shown image; false when it failed
    // (the message has been shown and the image is as it was).
    bool run(int id, const Operation& operation);

    // Opens the command's dialog on the shown image and runs its operation
    // after OK; Cancel, a refusal the dialog showed, or a dialog that could
    // not be made change nothing.
    template <class Dialog>
    bool runDialog(int id)
    {
        std::unique_ptr<Dialog> dialog = COperationDialog::Create<Dialog>(image(), m_Settings, m_Parent);
        return dialog && finishDialog(id, *dialog);
    }

    // Undo: exchanges the image with the one before the last operation.
    void undo();

private:
    const CWinBmp& image() const;
    bool finishDialog(int id, COperationDialog& dialog);

    QWidget* m_Parent;
    CPreview& m_View;
    CSettings& m_Settings;
    StateText m_State;
};
