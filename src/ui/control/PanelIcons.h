#pragma once

#include <QIcon>

namespace tav {

// Pictures of the control panel's three picture buttons, drawn in code.
QIcon startIcon(int size = 48); // green disc with a power symbol
QIcon stopIcon(int size = 48);  // red disc with a square
QIcon exitIcon(int size = 48);  // door with an arrow

} // namespace tav
