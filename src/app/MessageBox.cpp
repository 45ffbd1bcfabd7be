#include "app/MessageBox.h"

#include <QMessageBox>

namespace MessageBox {

namespace {

Hook& CurrentHook()
{
    static Hook hook;
    return hook;
}

int Show(QWidget* parent, const QString& text, int kind)
{
    if (const Hook& hook = CurrentHook())
        return hook(parent, text, kind);
    const QString title = QStringLiteral("Oculane");
    switch (kind) {
    case kWarning:
        QMessageBox::warning(parent, title, text);
        return 0;
    case kError:
        QMessageBox::critical(parent, title, text);
        return 0;
    case kQuestionYesNo:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
               QMessageBox::Yes;
    case kQuestionYesNoCancel:
        switch (QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes)) {
        case QMessageBox::Yes: return kYes;
        case QMessageBox::No: return kNo;
        default: return kCancel;
        }
    default:
        QMessageBox::information(parent, title, text);
        return 0;
    }
}

} // namespace

void Information(QWidget* parent, const QString& text)
{
    Show(parent, text, kInformation);
}

void Warning(QWidget* parent, const QString& text)
{
    Show(parent, text, kWarning);
}

void Error(QWidget* parent, const QString& text)
{
    Show(parent, text, kError);
}

bool AskYesNo(QWidget* parent, const QString& text)
{
    return Show(parent, text, kQuestionYesNo) != 0;
}

Answer AskYesNoCancel(QWidget* parent, const QString& text)
{
    const int answer = Show(parent, text, kQuestionYesNoCancel);
    return answer == kYes ? kYes : answer == kNo ? kNo : kCancel;
}

void SetHook(Hook hook)
{
    CurrentHook() = std::move(hook);
}

} // namespace MessageBox
