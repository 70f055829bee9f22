#pragma once

#include <QRect>

class QWidget;

namespace tav {

// The least move that puts `window` wholly inside `area`; a window larger than the area goes
// to the area's top left.
QPoint keptInside(const QRect& window, const QRect& area);

// Where a window of `size` goes beside `main` (on the right or the left as preferred, else the
// other side), else below it, kept inside `area`.
QPoint besideOrBelow(const QSize& size, const QRect& main, const QRect& area, bool right);

// left = (screen width - window width) / 2, top = (screen height - window height) / 2, then
// kept inside the screen's available area. Done again when the window shows, with the size it
// then has.
void centreOnScreen(QWidget* window);

// Places a window beside another one (right or left of it), else below it, off its menu bar
// and inside the available area.
void placeBeside(QWidget* window, const QWidget* other, bool right);

// Widens a window about its centre to at least `width`, then keeps it inside the available
// area. Never shrinks it.
void widenAboutCentre(QWidget* window, int width);

} // namespace tav
