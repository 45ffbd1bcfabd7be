#include "app/ViewerComfort.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "view/Preview.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <cmath>

QString ZoomPercentText(double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return QString();
    const double percent = factor * 100.0;
    // Below 10 % a whole number says too little ("0%" for a huge image).
    if (percent < 9.95)
        return QString::number(std::round(percent * 10.0) / 10.0, 'g', 2) + QLatin1Char('%');
    return QString::number(std::lround(percent)) + QLatin1Char('%');
}

CViewerComfort::CViewerComfort(CMainWindow& window) : QObject(&window), m_Window(window)
{
    setObjectName(QStringLiteral("viewerComfort"));
    CPreview* preview = window.preview();
    // The keys are given to the window only in the viewer, where the
    // browser's users of them (Back, Home) are not on screen.
    addKeys({QKeySequence(Qt::Key_Space), QKeySequence(Qt::Key_PageDown)}, [this] { step(ID_NEXT); });
    addKeys({QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::Key_PageUp)}, [this] { step(ID_PREVIOUS); });
    addKeys({QKeySequence(Qt::Key_Home)}, [this] { step(ID_FIRST); });
    addKeys({QKeySequence(Qt::Key_End)}, [this] { step(ID_LAST); });
    addKeys({QKeySequence(Qt::Key_F11)}, [this] { setFullScreen(!m_FullScreen); });
    addKeys({QKeySequence(Qt::Key_Escape)}, [this] { escape(); });

    m_ZoomPane = new QLabel(&window);
    m_ZoomPane->setObjectName(QStringLiteral("zoomPane"));
    m_ZoomPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_ZoomPane->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_ZoomPane->setMinimumWidth(m_ZoomPane->fontMetrics().horizontalAdvance(QStringLiteral("10000%")) + 8);
    m_ZoomPane->hide();
    window.statusBar()->addPermanentWidget(m_ZoomPane);

    connect(preview, &CPreview::viewChanged, this, [this] { updateZoomPane(); });
    connect(preview, &CPreview::doubleClicked, this, [this] {
        if (m_Window.viewerMode())
            setFullScreen(!m_FullScreen);
    });
    connect(preview, &CPreview::wheelSteps, this, [this](int steps) {
        if (!m_Window.viewerMode())
            return;
        for (int i = 0; i < std::abs(steps); ++i)
            step(steps > 0 ? ID_NEXT : ID_PREVIOUS);
    });
    preview->installEventFilter(this);
}

QAction* CViewerComfort::addKeys(QList<QKeySequence> keys, std::function<void()> run)
{
    auto* action = new QAction(&m_Window);
    connect(action, &QAction::triggered, this, std::move(run));
    m_Window.addAction(action);
    m_Keys.emplace_back(action, std::move(keys));
    return action;
}

void CViewerComfort::modeChanged(bool viewer)
{
    for (auto& [action, keys] : m_Keys)
        action->setShortcuts(viewer ? keys : QList<QKeySequence>());
    if (!viewer)
        setFullScreen(false);
    // In the viewer the keys are for the image; in the browser a click on
    // the preview leaves them with the list, as it always did.
    CPreview* preview = m_Window.preview();
    preview->setFocusPolicy(viewer ? Qt::StrongFocus : Qt::NoFocus);
    if (viewer)
        preview->setFocus(Qt::OtherFocusReason);
    else if (preview->hasFocus())
        m_Window.fileList()->setFocus(Qt::OtherFocusReason);
    updateZoomPane();
}

void CViewerComfort::step(int id)
{
    if (m_Window.isCommandEnabled(id))
        m_Window.runCommand(id);
}

void CViewerComfort::escape()
{
    if (m_FullScreen)
        setFullScreen(false);
    else if (m_Window.isCommandEnabled(ID_BROWSER))
        m_Window.runCommand(ID_BROWSER);
}

void CViewerComfort::setFullScreen(bool on)
{
    if (on == m_FullScreen || (on && !m_Window.viewerMode()))
        return;
    CPreview* preview = m_Window.preview();
    m_FullScreen = on;
    if (on) {
        m_WasMaximised = m_Window.isMaximized();
        m_StatusBarWasOn = !m_Window.statusBar()->isHidden();
        m_SizeBefore = preview->size();
        // The hidden menus would take their accelerators with them.
        const std::vector<int> ids = MenuCommands(ViewerMenu());
        for (int id : ids) {
            QAction* action = m_Window.action(id);
            if (action && !m_Window.actions().contains(action)) {
                m_Window.addAction(action);
                m_Lent.push_back(action);
            }
        }
        m_Window.menuBar()->hide();
        m_Window.m_BrowserBar->hide();
        m_Window.m_ViewerBar->hide();
        m_Window.statusBar()->hide();
        preview->setBackground(Qt::black);
        m_NormalGeometry = m_Window.saveGeometry();
        m_Window.showFullScreen();
        // Without a window manager to honour the request (a bare X server)
        // the window covers the screen by itself; with one this is its size.
        if (QScreen* screen = m_Window.screen())
            m_Window.setGeometry(screen->geometry());
    } else {
        for (QAction* action : m_Lent)
            m_Window.removeAction(action);
        m_Lent.clear();
        m_Window.menuBar()->show();
        m_Window.statusBar()->setVisible(m_StatusBarWasOn);
        // The bars as the mode and "&Toolbar" want them.
        m_Window.m_BrowserBar->setVisible(!m_Window.m_ViewerMode && m_Window.m_ToolbarOn);
        m_Window.m_ViewerBar->setVisible(m_Window.m_ViewerMode && m_Window.m_ToolbarOn);
        preview->setBackground(QColor());
        if (m_WasMaximised) {
            m_Window.showMaximized();
        } else {
            m_Window.showNormal();
            m_Window.restoreGeometry(m_NormalGeometry);
        }
    }
    m_RefitOnResize = true;
    refit();
}

void CViewerComfort::refit()
{
    const CSettings& settings = m_Window.settings();
    if (m_Window.viewerMode())
        m_Window.preview()->fitAgain(kPlaceCentre, settings.ViewerShrink != 0, settings.ViewerEnlarge != 0);
}

bool CViewerComfort::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && m_RefitOnResize && watched == m_Window.preview()) {
        refit();
        // Leaving full screen: done once the view has its old size again.
        if (!m_FullScreen && m_Window.preview()->size() == m_SizeBefore)
            m_RefitOnResize = false;
    }
    return false;
}

void CViewerComfort::updateZoomPane()
{
    const CPreview* preview = m_Window.preview();
    const QString text = preview->hasImage() ? ZoomPercentText(preview->geometry().ZoomFactor()) : QString();
    m_ZoomPane->setText(text);
    m_ZoomPane->setVisible(!text.isEmpty());
}
