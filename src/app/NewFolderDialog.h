// The "New Folder" dialog: the name of the folder to create.
#pragma once

#include <QDialog>

class QLineEdit;

class CNewFolderDialog : public QDialog {
    Q_OBJECT
public:
    explicit CNewFolderDialog(const QString& name = {}, QWidget* parent = nullptr);
    QString name() const;

private:
    QLineEdit* m_Name;
};
