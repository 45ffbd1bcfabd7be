// The "Rename Series" dialog: the base name of the series and which files
// get it, all files of the folder or the selected ones.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

class CRenameSeriesDialog : public QDialog {
    Q_OBJECT
public:
    // canSelectedOnly: some files are selected ("&Selected files only" is
    // disabled otherwise, and "&All files in directory" is chosen).
    CRenameSeriesDialog(const QString& name, bool selectedOnly, bool canSelectedOnly, QWidget* parent = nullptr);
    QString name() const;
    bool selectedOnly() const;

private:
    QLineEdit* m_Name;
    QRadioButton* m_All;
    QRadioButton* m_Selected;
};
