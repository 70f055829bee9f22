#pragma once

#include <QRect>

#include <utility>

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

// Frames of two windows side by side (`left`, then `right`) from `top` down, inside `area`: each
// keeps its size when both fit, else both narrow in proportion, never below their minimum; taller
// than the room below `top`, they shorten to it, never below their minimum.
std::pair<QRect, QRect> sideBySide(QSize left, QSize leftMin, QSize right, QSize rightMin, int top,
                                   const QRect& area);

// Places `window` beside `main` as placeBeside does. When `partner` is shown too and the two are
// not both beside `main`, they go side by side below `main`'s menu bar (whose bottom is at
// `menuBottom`), `window` on its side: neither covers the other nor the menu bar.
void placeBesideWithPartner(QWidget* window, bool right, QWidget* partner, const QWidget* main,
                            int menuBottom);

// Widens a window about its centre to at least `width`, then keeps it inside the available
// area. Never shrinks it.
void widenAboutCentre(QWidget* window, int width);

} // namespace tav
