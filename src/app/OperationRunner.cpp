#include "app/OperationRunner.h"

#include "app/MessageBox.h"
#include "app/OperationTexts.h"
#include "base/TextException.h"
#include "view/Preview.h"

#include <QApplication>
#include <QCursor>

#include <new>
#include <stdexcept>

namespace {

// The wait cursor for as long as the operation runs, whatever way it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

COperationRunner::COperationRunner(QWidget* parent, CPreview& view, CSettings& settings, StateText state) :
    m_Parent(parent), m_View(view), m_Settings(settings), m_State(std::move(state))
{
}

const CWinBmp& COperationRunner::image() const
{
    return m_View.image();
}

bool COperationRunner::run(int id, const Operation& operation)
{
    const OperationTexts* texts = FindOperationTexts(id);
    if (texts)
        m_State(QString::fromLatin1(texts->Progress));
    bool ok = false;
    bool sizeChanged = false;
    QString failure;
    {
        WaitCursor wait;
        try {
            sizeChanged = operation(m_View.document());
            ok = true;
        } catch (const CTextException& e) {
            failure = QString::fromStdString(e.GetText());
        } catch (const std::bad_alloc&) {
            failure = QStringLiteral("Out of memory.");
        } catch (const std::exception& e) {
            failure = QString::fromLocal8Bit(e.what());
        }
    }
    if (ok && texts && texts->Depth24)
        m_View.document().setSourceBitsPerPixel(24);
    if (!ok) {
        // The command's own text where it has one; the operation's otherwise.
        MessageBox::Error(m_Parent, texts && texts->Error ? QString::fromLatin1(texts->Error) : failure);
    }
    m_View.redraw(ok && sizeChanged);
    // A command without an error text of its own (the filters) says nothing
    // more after its failure message: "Done" would read as success.
    if (ok || (texts && texts->Error))
        m_State(QString::fromLatin1(kOperationDoneText));
    else
        m_State(QString());
    return ok;
}

bool COperationRunner::finishDialog(int id, COperationDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return run(id, dialog.operation());
}

void COperationRunner::undo()
{
    const bool sizeChanged = m_View.document().undo();
    m_View.redraw(sizeChanged);
}
