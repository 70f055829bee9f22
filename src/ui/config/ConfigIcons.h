#pragma once

#include <QIcon>

namespace tav {

// Pictures of the configuration window's picture buttons, drawn in code.
QIcon eepromIcon(int size = 48); // memory chip with a downward arrow
QIcon printIcon(int size = 48);  // printer with a sheet

} // namespace tav
