#include "app/TypeAheadKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

bool CTypeAheadKeys::IsTypeAheadKey(const QKeyEvent& event)
{
    // AltGr arrives as a group switch on some layouts; it types characters too.
    const Qt::KeyboardModifiers other = event.modifiers() & ~(Qt::ShiftModifier | Qt::GroupSwitchModifier);
    if (other != Qt::NoModifier)
        return false;
    const QString text = event.text();
    if (text.isEmpty() || text == QStringLiteral("/"))
        return false;
    for (const QChar c : text)
        if (!c.isPrint())
            return false;
    return true;
}

bool CTypeAheadKeys::eventFilter(QObject* watched, QEvent* event)
{
    const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (!key || !IsTypeAheadKey(*static_cast<QKeyEvent*>(event)))
        return QObject::eventFilter(watched, event);
    // Accepting the override keeps the key from the shortcuts; the view then
    // gets it as a key press and searches its rows.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    // The view searches the column of its current cell: after a click on a
    // size or a date that would be that column, but names are what is typed.
    if (auto* view = qobject_cast<QAbstractItemView*>(watched)) {
        const QModelIndex current = view->currentIndex();
        if (current.isValid() && current.column() != 0)
            view->selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    }
    return false;
}
