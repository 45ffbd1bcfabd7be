#include "app/KeypadShortcuts.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

CKeypadShortcuts::CKeypadShortcuts(CMainWindow& window) : QObject(&window), m_Window(window)
{
    qApp->installEventFilter(this);
}

CKeypadShortcuts::~CKeypadShortcuts()
{
    qApp->removeEventFilter(this);
}

int CKeypadShortcuts::commandFor(const QKeyEvent& event) const
{
    if (!(event.modifiers() & Qt::KeypadModifier))
        return 0;
    const QKeySequence pressed(event.keyCombination());
    const std::vector<int> ids = MenuCommands(m_Window.viewerMode() ? ViewerMenu() : BrowserMenu());
    for (int id : ids) {
        const QAction* action = m_Window.action(id);
        if (action && action->shortcuts().contains(pressed))
            return id;
    }
    return 0;
}

bool CKeypadShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || m_Probing || !watched->isWidgetType())
        return false;
    return handle(static_cast<QWidget*>(watched), *static_cast<QKeyEvent*>(event));
}

bool CKeypadShortcuts::handle(QWidget* receiver, QKeyEvent& event)
{
    if (!(event.modifiers() & Qt::KeypadModifier))
        return false;
    // Only the first delivery, to the widget with the focus in this window
    // (a key press travels on to the parents when ignored).
    QWidget* focus = QApplication::focusWidget();
    if (receiver != (focus ? focus : &m_Window) || !(receiver == &m_Window || m_Window.isAncestorOf(receiver)))
        return false;
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget())
        return false;
    const int id = commandFor(event);
    if (id == 0)
        return false;
    // A widget that takes the key as typing (a text field) keeps it, as it
    // would keep any shortcut.
    QKeyEvent probe(QEvent::ShortcutOverride, event.key(), event.modifiers(), event.text(), event.isAutoRepeat(),
                    ushort(event.count()));
    probe.ignore();
    m_Probing = true;
    QApplication::sendEvent(receiver, &probe);
    m_Probing = false;
    if (probe.isAccepted())
        return false;
    if (m_Window.isCommandEnabled(id))
        m_Window.runCommand(id);
    return true;
}
