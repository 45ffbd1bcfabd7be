// The progress dialog every file job runs under: one line for the item being
// worked on, a progress bar and Cancel. The job reports through a queued
// owner, so its worker thread never touches a widget. Failures are gathered
// while the job runs and shown in one message when it ends.
#pragma once

#include <QDialog>
#include <QStringList>

class CElidedLabel;
class CQueuedJobOwner;
class CThread;
class QLabel;
class QProgressBar;
class QPushButton;

class CJobProgressDialog : public QDialog {
    Q_OBJECT
public:
    CJobProgressDialog(const QString& caption, CThread& job, QWidget* parent = nullptr);
    ~CJobProgressDialog() override;

    // Shows the "From:" and "To:" lines (the paste dialog); hidden otherwise.
    void setFromTo(const QString& from, const QString& to);
    // To connect more of the job's signals (askReplace).
    CQueuedJobOwner& owner();

    // Shows the dialog modally; once shown it becomes the job's owner, starts
    // the job (unless it runs already) and posts one run. Returns when that
    // run has ended and the job's thread has stopped: true when it finished
    // without a cancel, false after a cancel ("User abort!" has been shown)
    // or when the job could not be started.
    bool run();
    // The failure texts of the last run.
    QStringList errors() const { return m_Errors; }
    // Most failures listed in the closing message; the rest are counted.
    static constexpr int kListedErrors = 20;

    // Cancel, Esc and the close button all cancel a running job.
    void reject() override;

signals:
    // Cancel was pressed (before the job has stopped).
    void cancelRequested();

private:
    void startJob();
    void onFinished(bool stopped);
    void cancel();

    CThread& m_Job;
    CQueuedJobOwner* m_Owner;
    QLabel* m_FromLabel;
    CElidedLabel* m_From;
    QLabel* m_ToLabel;
    CElidedLabel* m_To;
    CElidedLabel* m_Item;
    QProgressBar* m_Bar;
    QPushButton* m_Cancel;
    QStringList m_Errors;
    bool m_StartPending = false;
    bool m_Owning = false;  // the job's owner is this dialog's
    bool m_Running = false;
    bool m_Cancelling = false;
    bool m_Stopped = false;
    QString m_StartFailure;
};
