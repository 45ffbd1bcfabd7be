// The "Rename" dialog: one line of question and one edit field.
#pragma once

#include <QDialog>

class QLineEdit;

class CRenameDialog : public QDialog {
    Q_OBJECT
public:
    CRenameDialog(const QString& prompt, const QString& text, QWidget* parent = nullptr);
    QString text() const;

    // Runs the dialog; false on Cancel, otherwise the field's text in `text`.
    static bool Ask(QWidget* parent, const QString& prompt, QString& text);

private:
    QLineEdit* m_Edit;
};
