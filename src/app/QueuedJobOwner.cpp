#include "app/QueuedJobOwner.h"

#include <QMetaObject>

CQueuedJobOwner::CQueuedJobOwner(QObject* parent) : QObject(parent) {}

void CQueuedJobOwner::OnProgress(int percent)
{
    m_Percent.store(percent);
    if (m_ProgressPending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_ProgressPending.store(false);
            emit progress(m_Percent.load());
        },
        Qt::QueuedConnection);
}

void CQueuedJobOwner::OnCurrentItem(const std::string& path)
{
    {
        std::lock_guard<std::mutex> lock(m_ItemLock);
        m_Item = path;
        if (m_ItemPending)
            return;
        m_ItemPending = true;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            QString item;
            {
                std::lock_guard<std::mutex> lock(m_ItemLock);
                m_ItemPending = false;
                item = QString::fromStdString(m_Item);
            }
            emit currentItem(item);
        },
        Qt::QueuedConnection);
}

void CQueuedJobOwner::OnError(const JobError& failure)
{
    QMetaObject::invokeMethod(
        this,
        [this, path = QString::fromStdString(failure.Path), reason = QString::fromStdString(failure.Reason),
         text = QString::fromStdString(failure.Text)] { emit error(path, reason, text); },
        Qt::QueuedConnection);
}

void CQueuedJobOwner::OnFinished(bool stopped)
{
    QMetaObject::invokeMethod(this, [this, stopped] { emit finished(stopped); }, Qt::QueuedConnection);
}

void CQueuedJobOwner::OnAskReplace(const ReplaceQuestion& question)
{
    QMetaObject::invokeMethod(this, [this, question] { emit askReplace(question); }, Qt::QueuedConnection);
}

void CQueuedJobOwner::OnFound(const std::vector<std::string>& paths)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::string& path : paths)
        list.append(QString::fromStdString(path));
    QMetaObject::invokeMethod(this, [this, list = std::move(list)] { emit found(list); }, Qt::QueuedConnection);
}
