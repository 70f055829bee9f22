#include "core/io/WriteError.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace tav {

namespace {

QString described(int errnum) {
    return QString::fromLocal8Bit(std::strerror(errnum));
}

} // namespace

QString systemReason(int errnum) {
    return errnum == ENOSPC ? QStringLiteral("disk full") : described(errnum);
}

QString systemReason(const QString& description) {
    return description == described(ENOSPC) ? systemReason(ENOSPC) : description;
}

QString writeAdvice(const QString& reason, const QString& folder) {
    const QString where = QDir::toNativeSeparators(folder);
    for (const int space : {ENOSPC, EFBIG, EDQUOT})
        if (reason == systemReason(space))
            return QStringLiteral("Free some space on the disk of %1 or choose another folder, "
                                  "then try again.")
                .arg(where);
    if (reason == systemReason(EROFS))
        return QStringLiteral("%1 is on a read-only disk: choose another folder, or have that "
                              "disk mounted for writing, then try again.")
            .arg(where);
    for (const int refused : {EACCES, EPERM})
        if (reason == systemReason(refused))
            return QStringLiteral("Give your user write access to %1 or choose another folder, "
                                  "then try again.")
                .arg(where);
    return QStringLiteral("Check %1 and its disk, then try again.").arg(where);
}

} // namespace tav
