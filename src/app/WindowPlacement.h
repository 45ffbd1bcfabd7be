// Where the main window opens when no placement of an earlier session is stored.
#pragma once

#include <QRect>

class QWidget;

// Two thirds of the screen's free area each way, centred in it.
QRect FirstStartGeometry(const QRect& available);
// Gives the window that geometry on the screen it is on.
void PlaceOnFirstStart(QWidget* window);
