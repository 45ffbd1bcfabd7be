// "Confirm Replace": asked while a copy or move waits because a target exists.
// It is shown without blocking the progress dialog under it, so that dialog's
// Cancel stays usable; each button reports its id once through answered().
#pragma once

#include "jobs/JobOwner.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

class CConfirmReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit CConfirmReplaceDialog(const ReplaceQuestion& question, QWidget* parent = nullptr);

    // The edited base name of "Rename file".
    QString newName() const;
    // Closes without answering (the job was cancelled meanwhile).
    void dismiss();

signals:
    // A button was pressed (its id, the ReplaceAnswer values); closing the
    // window or Escape answers "&Cancel" (2).
    // The dialog deletes itself once closed.
    void answered(int id, const QString& newName);

public slots:
    void reject() override;

private:
    void answer(int id);

    QLineEdit* m_Name;
    QPushButton* m_Rename;
    bool m_Done = false;
};
