#pragma once

#include <QIcon>

#include <functional>

class QPainter;
class QRectF;

namespace tav {

// An icon drawn in code at the given size, in a normal and a disabled form (enabled = false).
QIcon drawnIcon(int size, const std::function<void(QPainter&, const QRectF&, bool enabled)>& paint);

// Pictures of the control panel's three picture buttons, drawn in code.
QIcon startIcon(int size = 48); // green disc with a power symbol
QIcon stopIcon(int size = 48);  // red disc with a square
QIcon exitIcon(int size = 48);  // door with an arrow

} // namespace tav
