#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where a window with the stored position and size opens, given the available
// areas of the screens. It stays on the screen it overlaps most, no larger than
// that screen, with its top edge (the title bar) on the screen and at least
// `visible` pixels of it on the screen in each direction; otherwise it is left
// where it is. A window that overlaps no screen moves wholly onto the nearest
// one. Without any screen it goes to the origin.
QRect keepOnScreen(QPoint position, QSize size, const QList<QRect> &screens, int visible = 100);

// keepOnScreen for a stored position; without one, the window opens at the top
// left of the first screen (the primary) and the system may place it.
QRect openingBounds(std::optional<QPoint> stored, QSize size, const QList<QRect> &screens);
