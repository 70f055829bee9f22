#include "core/link/SerialPort.h"

namespace tav {

LineSettings LineSettings::parse(const QString&, bool* ok) {
    if (ok)
        *ok = true;
    return {};
}

QString LineSettings::toString() const { return {}; }

QString deviceForPortName(const QString& portName) { return portName; }

} // namespace tav
