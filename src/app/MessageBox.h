// Every message box of the program: title "Oculane", one call per kind. A test
// replaces the boxes with a hook that records the text and gives the answer.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace MessageBox {

enum Kind { kInformation = 0, kWarning = 1, kError = 2, kQuestionYesNo = 3, kQuestionYesNoCancel = 4 };
// The answers of a Yes/No/Cancel question, as a hook returns them too.
enum Answer { kNo = 0, kYes = 1, kCancel = 2 };

void Information(QWidget* parent, const QString& text);
void Warning(QWidget* parent, const QString& text);
void Error(QWidget* parent, const QString& text);
// True for Yes.
bool AskYesNo(QWidget* parent, const QString& text);
// Closing the box counts as Cancel.
Answer AskYesNoCancel(QWidget* parent, const QString& text);

// Called instead of showing a box. For kQuestionYesNo a non-zero result is Yes;
// for kQuestionYesNoCancel the result is an Answer; other kinds ignore it. An empty hook brings the real boxes back.
using Hook = std::function<int(QWidget* parent, const QString& text, int kind)>;
void SetHook(Hook hook);

} // namespace MessageBox
