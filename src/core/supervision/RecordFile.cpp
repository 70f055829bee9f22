#include "core/supervision/RecordFile.h"

#include <QDir>
#include <QFileInfo>

namespace tav {

bool RecordFile::create(const QString& dir, const QString& base, const QString& extension) {
    close();
    error_.clear();
    if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
        error_ = QStringLiteral("The folder %1 cannot be created.").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    for (int n = 1; n < 100000; ++n) {
        const QString name = n == 1 ? base + extension
                                    : QStringLiteral("%1_%2%3").arg(base).arg(n).arg(extension);
        const QString path = QDir(dir).filePath(name);
        file_.setFileName(path);
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        // Only a taken name moves on to the next counter.
        if (!QFileInfo::exists(path)) {
            error_ = QStringLiteral("The file %1 cannot be created: %2.")
                         .arg(QDir::toNativeSeparators(path), file_.errorString());
            return false;
        }
    }
    error_ = QStringLiteral("No free file name for %1 in %2.").arg(base, QDir::toNativeSeparators(dir));
    return false;
}

bool RecordFile::open(const QString& path) {
    close();
    error_.clear();
    file_.setFileName(path);
    const bool ok = path.isEmpty() ? file_.open(stdout, QIODevice::WriteOnly)
                                   : file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!ok)
        error_ = QStringLiteral("The file %1 cannot be written: %2.")
                     .arg(path.isEmpty() ? QStringLiteral("standard output")
                                         : QDir::toNativeSeparators(path),
                          file_.errorString());
    return ok;
}

bool RecordFile::append(const QByteArray& line) {
    if (!file_.isOpen()) {
        error_ = QStringLiteral("The record file is not open.");
        return false;
    }
    if (file_.write(line) != line.size() || !file_.flush()) {
        error_ = QStringLiteral("Writing to %1 failed: %2.")
                     .arg(file_.fileName().isEmpty() ? QStringLiteral("standard output")
                                                     : QDir::toNativeSeparators(file_.fileName()),
                          file_.errorString());
        return false;
    }
    return true;
}

void RecordFile::close() {
    if (file_.isOpen())
        file_.close();
}

void RecordFile::discard() {
    const bool wasOpen = file_.isOpen();
    close();
    if (wasOpen)
        file_.remove();
}

} // namespace tav
