// A job's owner in a window: the job calls it on its worker thread, and it
// passes every call on to the user-interface thread as a signal, so no widget
// is ever touched off that thread. Progress and the current item are
// coalesced: however fast the worker reports, the UI thread gets at most one
// pending update of each. Calls still queued when the owner goes are dropped.
#pragma once

#include "jobs/JobOwner.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

class CQueuedJobOwner : public QObject, public IJobOwner {
    Q_OBJECT
public:
    explicit CQueuedJobOwner(QObject* parent = nullptr);

    void OnProgress(int percent) override;
    void OnCurrentItem(const std::string& path) override;
    void OnError(const JobError& error) override;
    void OnFinished(bool stopped) override;
    void OnAskReplace(const ReplaceQuestion& question) override;
    void OnFound(const std::vector<std::string>& paths) override;

signals:
    void progress(int percent);
    void currentItem(const QString& path);
    void error(const QString& path, const QString& reason, const QString& text);
    void finished(bool stopped);
    void askReplace(const ReplaceQuestion& question);
    void found(const QStringList& paths);

private:
    std::atomic<int> m_Percent{0};
    std::atomic<bool> m_ProgressPending{false};
    std::mutex m_ItemLock;
    std::string m_Item;
    bool m_ItemPending = false;
};
