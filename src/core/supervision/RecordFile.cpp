#include "core/supervision/RecordFile.h"

#include "core/io/FileReplace.h"
#include "core/io/WriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace tav {

namespace {

// Makes `dir` and its missing parents; the reason it cannot, or empty.
QString makeFolder(const QString& dir) {
    const QString path = QDir(dir).absolutePath();
    for (qsizetype at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != u'/')
            continue;
        const QString part = path.left(at);
        const QFileInfo info(part);
        if (info.isDir())
            continue;
        if (info.exists())
            return QStringLiteral("%1 is a file, not a folder").arg(QDir::toNativeSeparators(part));
        if (::mkdir(QFile::encodeName(part).constData(), 0777) != 0 && errno != EEXIST)
            return systemReason(errno);
    }
    return {};
}

} // namespace

QString RecordFile::name() const {
    return file_.fileName().isEmpty() ? QStringLiteral("standard output")
                                      : QDir::toNativeSeparators(file_.fileName());
}

void RecordFile::failed(const QString& what, const QString& reason, const QString& folder) {
    error_ = what.arg(name(), reason);
    advice_ = writeAdvice(reason, folder);
}

bool RecordFile::create(const QString& dir, const QString& base, const QString& extension) {
    close();
    error_.clear();
    advice_.clear();
    if (const QString reason = makeFolder(dir); !reason.isEmpty()) {
        error_ = QStringLiteral("The folder %1 cannot be created: %2.")
                     .arg(QDir::toNativeSeparators(dir), reason);
        advice_ = writeAdvice(reason, QFileInfo(dir).absolutePath());
        return false;
    }
    for (int n = 1; n < 100000; ++n) {
        const QString name = n == 1 ? base + extension
                                    : QStringLiteral("%1_%2%3").arg(base).arg(n).arg(extension);
        const QString path = QDir(dir).filePath(name);
        file_.setFileName(path);
        if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            size_ = 0;
            failed_ = false;
            return true;
        }
        // Only a taken name moves on to the next counter.
        if (!QFileInfo::exists(path)) {
            failed(QStringLiteral("The file %1 cannot be created: %2."),
                   systemReason(file_.errorString()), dir);
            return false;
        }
    }
    error_ = QStringLiteral("No free file name for %1 in %2.").arg(base, QDir::toNativeSeparators(dir));
    return false;
}

bool RecordFile::open(const QString& path) {
    close();
    error_.clear();
    advice_.clear();
    size_ = 0;
    failed_ = false;
    file_.setFileName(path);
    if (path.isEmpty())
        return file_.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        error_ = QStringLiteral("The file %1 exists already; it is not replaced. Give the name of "
                                "a new file, or move that one away first.")
                     .arg(name());
        return false;
    }
    if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return true;
    failed(QStringLiteral("The file %1 cannot be created: %2."),
           systemReason(file_.errorString()), QFileInfo(path).absolutePath());
    return false;
}

bool RecordFile::append(const QByteArray& lines) {
    if (!file_.isOpen()) {
        error_ = QStringLiteral("The record file is not open.");
        return false;
    }
    qint64 written = 0;
    QString reason;
    if (writeAll(file_, lines, &reason, -1, &written)) {
        size_ += written;
        return true;
    }
    failed_ = true;
    QString cut;
    if (!file_.fileName().isEmpty() && written > 0) {
        // Back to the last whole line: a torn line would read as a row of wrong values.
        if (!file_.resize(size_) || !file_.seek(size_))
            cut = QStringLiteral(" The end of the last line could not be removed: %1.")
                      .arg(systemReason(file_.errorString()));
    }
    failed(QStringLiteral("Writing to %1 failed: %2.") + cut, reason,
           QFileInfo(file_.fileName()).absolutePath());
    return false;
}

void RecordFile::close() {
    if (!file_.isOpen())
        return;
    file_.close();
    // A file that a failed write left empty tells nothing: it goes.
    if (failed_ && size_ == 0 && !file_.fileName().isEmpty())
        file_.remove();
}

void RecordFile::discard() {
    const bool wasOpen = file_.isOpen();
    close();
    if (wasOpen)
        file_.remove();
}

} // namespace tav
