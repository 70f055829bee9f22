#include "core/link/PortAdvice.h"

#include <QFileInfo>

namespace tav {

QString permissionAdvice(const QString& device) {
    QString group = QFileInfo(device).group();
    if (group.isEmpty()) group = QStringLiteral("dialout");
    return QStringLiteral("Your user must belong to the group \"%1\" that owns %2 "
                          "(for example: sudo usermod -aG %1 $USER), then log in again.")
        .arg(group, device);
}

} // namespace tav
