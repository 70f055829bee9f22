#include "core/settings/Variant.h"

#include "core/settings/Ini.h"
#include "core/text/Scramble.h"

#include <QDir>

namespace tav {

namespace {
QString fichIni(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("fich.ini"));
}
} // namespace

bool VarianteUsine(const QString& programDir) {
    const QString marker = LireIni(fichIni(programDir), QStringLiteral("PWD"), QStringLiteral("CLIENT"));
    return BrouillerTexte(marker).compare(QString::fromUtf16(kAdminPassword), Qt::CaseInsensitive) == 0;
}

bool EcrireMarqueurUsine(const QString& programDir) {
    return EcrireIni(fichIni(programDir), QStringLiteral("PWD"), QStringLiteral("CLIENT"),
                     BrouillerTexte(QString::fromUtf16(kAdminPassword)));
}

} // namespace tav
