#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QRect FirstStartGeometry(const QRect& available)
{
    const QSize size(available.width() * 2 / 3, available.height() * 2 / 3);
    QRect geometry(QPoint(0, 0), size);
    geometry.moveCenter(available.center());
    return geometry;
}

void PlaceOnFirstStart(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect geometry = FirstStartGeometry(screen->availableGeometry());
    window->resize(geometry.size().expandedTo(window->minimumSizeHint()));
    // The frame, not the client area, is what a window manager places.
    window->move(geometry.topLeft());
}
