#pragma once

#include <QString>

namespace tav {

// What to do when a serial device exists but the user may not open it: join the group that
// owns the device (read from the device file; "dialout" when it cannot be read) and log in again.
QString permissionAdvice(const QString& device);

} // namespace tav
