#include "core/settings/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tav {

bool directoryWritable(const QString& dir) {
    if (!QDir(dir).exists()) return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".write-probe-XXXXXX")));
    return probe.open();
}

bool isSystemFolder(const QString& dir) {
    const QString path = QDir::cleanPath(QDir(dir).absolutePath());
    for (const char* root : {"/usr", "/bin", "/sbin", "/lib"})
        if (path == QLatin1String(root) || path.startsWith(QLatin1String(root) + QLatin1Char('/')))
            return true;
    return false;
}

QString programDirectory(const QString& requested) {
    if (!requested.isEmpty()) {
        QDir().mkpath(requested);
        return QDir(requested).absolutePath();
    }
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!isSystemFolder(exeDir) && directoryWritable(exeDir)) return exeDir;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

} // namespace tav
