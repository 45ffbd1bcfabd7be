// "Set File Associations": the image types the program opens from the
// desktop, and the same change for `oculane --associate`/`--unassociate`.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <vector>

class QCheckBox;

// Makes the program the default opener of the files with the given
// extensions (without the dot), and gives up the ones of `unassociate` where
// it is their default. False with a one-line reason: an extension without a
// known MIME type, or a file that cannot be read or written.
bool ChangeFileAssociations(const QStringList& associate, const QStringList& unassociate, QString& error);

class CAssociationsDialog : public QDialog {
    Q_OBJECT
public:
    // The boxes start ticked for the types whose default is the program.
    explicit CAssociationsDialog(QWidget* parent = nullptr);
    // Applies the ticks; false with a reason (the boxes were read anyway).
    bool apply(QString& error) const;

private:
    std::vector<QCheckBox*> m_Boxes;
    std::vector<bool> m_WasOurs;
};

// Runs the dialog and applies it on OK; errors go to a message box.
void RunAssociationsDialog(QWidget* parent);
