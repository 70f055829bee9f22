#pragma once

#include <QString>

namespace tav {

// The system's reason for a failed write as messages give it: "disk full" for a full disk,
// otherwise the system's own description ("File too large", "Permission denied").
QString systemReason(int errnum);
// The same for a description Qt gave (its file errors carry the system's text).
QString systemReason(const QString& description);

// What the operator can do after a write into `folder` failed for `reason` (as systemReason
// gives it): make room for a full disk, another folder for a read-only disk, write access for a
// refused folder.
QString writeAdvice(const QString& reason, const QString& folder);

} // namespace tav
