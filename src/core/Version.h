#pragma once

#include <QString>

namespace tav {

// "major.minor.patch" of this build, as --version prints it.
inline QString versionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(TAV_VERSION_MAJOR)
        .arg(TAV_VERSION_MINOR)
        .arg(TAV_VERSION_PATCH);
}

} // namespace tav
