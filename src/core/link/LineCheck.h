#pragma once

#include <QString>

namespace tav {

// Line settings as typed in the serial-link window.
struct LineFields {
    QString baud, parity, data, stop;
};

enum class LineField { None, Baud, Parity, Data, Stop };

// The first field that this platform's serial ports cannot take, None when all can be used.
// Parity is judged by its first letter (NONE, ODD, EVEN, MARK, SPACE), as the opening reads it.
LineField unusableLineField(const LineFields& f);

} // namespace tav
