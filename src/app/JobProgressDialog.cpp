#include "app/JobProgressDialog.h"

#include "app/MessageBox.h"
#include "app/QueuedJobOwner.h"
#include "jobs/Job.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

// A one-line label that shows a long path with its middle left out; text()
// keeps the whole of it.
class CElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

    QSize sizeHint() const override { return {200, fontMetrics().height()}; }
    QSize minimumSizeHint() const override { return {40, fontMetrics().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
};

CJobProgressDialog::CJobProgressDialog(const QString& caption, CThread& job, QWidget* parent)
    : QDialog(parent), m_Job(job), m_Owner(new CQueuedJobOwner(this))
{
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    auto* fromTo = new QGridLayout;
    m_FromLabel = new QLabel(QStringLiteral("From:"));
    m_From = new CElidedLabel;
    m_From->setObjectName(QStringLiteral("from"));
    m_ToLabel = new QLabel(QStringLiteral("To:"));
    m_To = new CElidedLabel;
    m_To->setObjectName(QStringLiteral("to"));
    fromTo->addWidget(m_FromLabel, 0, 0);
    fromTo->addWidget(m_From, 0, 1);
    fromTo->addWidget(m_ToLabel, 1, 0);
    fromTo->addWidget(m_To, 1, 1);
    fromTo->setColumnStretch(1, 1);
    layout->addLayout(fromTo);
    for (QWidget* line : {static_cast<QWidget*>(m_FromLabel), static_cast<QWidget*>(m_From),
                          static_cast<QWidget*>(m_ToLabel), static_cast<QWidget*>(m_To)})
        line->hide();

    m_Item = new CElidedLabel;
    m_Item->setObjectName(QStringLiteral("item"));
    layout->addWidget(m_Item);
    m_Bar = new QProgressBar;
    m_Bar->setRange(0, 100);
    m_Bar->setValue(0);
    layout->addWidget(m_Bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_Cancel = new QPushButton(QStringLiteral("Cancel"));
    m_Cancel->setAutoDefault(false);
    buttons->addWidget(m_Cancel);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(m_Cancel, &QPushButton::clicked, this, &CJobProgressDialog::reject);
    connect(m_Owner, &CQueuedJobOwner::progress, this, [this](int percent) {
        if (m_Running)
            m_Bar->setValue(std::clamp(percent, 0, 100));
    });
    connect(m_Owner, &CQueuedJobOwner::currentItem, this, [this](const QString& path) {
        if (m_Running && !m_Cancelling)
            m_Item->setText(path);
    });
    connect(m_Owner, &CQueuedJobOwner::error, this,
            [this](const QString&, const QString&, const QString& text) {
                if (m_Running)
                    m_Errors << text;
            });
    connect(m_Owner, &CQueuedJobOwner::finished, this, &CJobProgressDialog::onFinished);
}

CJobProgressDialog::~CJobProgressDialog()
{
    // run() leaves no thread behind; a dialog destroyed some other way still
    // must not be the owner of a thread that goes on.
    if (m_Owning) {
        m_Job.Cancel();
        int32_t exitCode;
        m_Job.Stop(exitCode, -1);
        m_Job.SetOwner(nullptr);
    }
}

void CJobProgressDialog::setFromTo(const QString& from, const QString& to)
{
    m_From->setText(from);
    m_To->setText(to);
    for (QWidget* line : {static_cast<QWidget*>(m_FromLabel), static_cast<QWidget*>(m_From),
                          static_cast<QWidget*>(m_ToLabel), static_cast<QWidget*>(m_To)})
        line->show();
}

CQueuedJobOwner& CJobProgressDialog::owner()
{
    return *m_Owner;
}

bool CJobProgressDialog::run()
{
    m_Errors.clear();
    m_StartFailure.clear();
    m_Running = false;
    m_Cancelling = false;
    m_Stopped = false;
    m_Item->clear();
    m_Bar->setValue(0);
    m_Cancel->setEnabled(true);

    // Started from the dialog's own event loop, once it is on the screen.
    m_StartPending = true;
    QTimer::singleShot(0, this, [this] {
        if (!m_StartPending)
            return;
        m_StartPending = false;
        startJob();
    });
    exec();
    m_StartPending = false;

    // The dialog only closes on the job's finished report; should anything
    // else have closed it, the run is cancelled here.
    if (m_Running) {
        m_Job.Cancel();
        m_Stopped = true;
        m_Running = false;
    }
    // The run is over: the worker waits for commands and is told to end, so
    // nothing is left that could call the owner.
    int32_t exitCode;
    m_Job.Stop(exitCode, -1);
    if (m_Owning) {
        m_Job.SetOwner(nullptr);
        m_Owning = false;
    }

    QWidget* parent = parentWidget();
    if (!m_StartFailure.isEmpty()) {
        MessageBox::Error(parent, m_StartFailure);
        return false;
    }
    if (!m_Errors.isEmpty()) {
        QStringList shown = m_Errors.mid(0, kListedErrors);
        if (m_Errors.size() > kListedErrors)
            shown << QStringLiteral("... and %1 more").arg(m_Errors.size() - kListedErrors);
        MessageBox::Error(parent, shown.join(QLatin1Char('\n')));
    }
    if (m_Stopped) {
        MessageBox::Information(parent, QStringLiteral("User abort!"));
        return false;
    }
    return true;
}

void CJobProgressDialog::startJob()
{
    if (m_Cancelling) {
        m_Stopped = true;
        QDialog::done(Rejected);
        return;
    }
    m_Job.SetOwner(m_Owner);
    m_Owning = true;
    try {
        if (!m_Job.IsRunning())
            m_Job.Start();
    } catch (const CThreadException& failure) {
        m_Job.SetOwner(nullptr);
        m_Owning = false;
        m_StartFailure = QString::fromStdString(failure.GetText());
        QDialog::done(Rejected);
        return;
    }
    m_Running = true;
    m_Job.PostJob();
}

void CJobProgressDialog::onFinished(bool stopped)
{
    if (!m_Running)
        return;
    m_Running = false;
    // A run that got to its end before the cancel reached it reports nothing.
    m_Stopped = stopped;
    QDialog::done(stopped ? Rejected : Accepted);
}

void CJobProgressDialog::reject()
{
    cancel();
}

void CJobProgressDialog::cancel()
{
    if (m_Cancelling)
        return;
    m_Cancelling = true;
    m_Job.Cancel();
    m_Cancel->setEnabled(false);
    m_Item->setText(QStringLiteral("Cancelling…"));
    emit cancelRequested();
    // Before the job was started there is nothing to wait for.
    if (!m_Running && !m_Owning && isVisible()) {
        m_Stopped = true;
        QDialog::done(Rejected);
    }
}
