#include "core/io/FileReplace.h"

#include "core/io/WriteError.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tav {

bool writeAll(QFileDevice& f, const QByteArray& bytes, QString* reason, qint64 at,
              qint64* written) {
    qint64 done = 0;
    if (written)
        *written = 0;
#ifdef Q_OS_UNIX
    while (done < bytes.size()) {
        const char* from = bytes.constData() + done;
        const auto size = size_t(bytes.size() - done);
        const ssize_t n = at < 0 ? ::write(f.handle(), from, size)
                                 : ::pwrite(f.handle(), from, size, at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *reason = systemReason(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += n;
        if (written)
            *written = done;
    }
    return true;
#else
    if (at < 0 || f.seek(at)) {
        done = f.write(bytes);
        if (written)
            *written = std::max<qint64>(done, 0);
        if (done == bytes.size() && f.flush())
            return true;
    }
    *reason = systemReason(f.errorString());
    return false;
#endif
}

namespace {

// Size of the open file as the system sees it.
qint64 sizeOf(QFileDevice& f) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::fstat(f.handle(), &st) == 0 ? qint64(st.st_size) : -1;
#else
    return f.size();
#endif
}

// Puts `bytes` at the start of the file and cuts it to their size.
bool putAt0(QFile& f, const QByteArray& bytes, QString* error) {
    if (!writeAll(f, bytes, error, 0))
        return false;
    if (!f.resize(bytes.size()) || sizeOf(f) != bytes.size()) {
        *error = f.errorString();
        return false;
    }
    return true;
}

// The in-place route never truncates before the new bytes are down, so on a failure the file
// still holds at least its old length and the old bytes can go back where they stood.
ReplaceResult rewriteInPlace(const QString& path, const QByteArray& data) {
    ReplaceResult r;
    r.inPlace = true;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) {
        r.error = f.errorString();
        return r;
    }
    const QByteArray old = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        r.error = f.errorString();
        return r;
    }
    r.ok = putAt0(f, data, &r.error);
    QString ignored;
    if (!r.ok && !putAt0(f, old, &ignored))
        r.error += QStringLiteral(" (the previous content could not be put back)");
    return r;
}

} // namespace

namespace {

ReplaceResult replace(const QString& path, const QByteArray& data) {
    ReplaceResult r;
    QSaveFile f(path);
    f.setDirectWriteFallback(false); // its direct write truncates first: see rewriteInPlace
    if (!f.open(QIODevice::WriteOnly)) {
        const QFileInfo existing(path);
        if (existing.isFile() && existing.isWritable())
            return rewriteInPlace(path, data);
        r.error = f.errorString();
        return r;
    }
    // Checked before the rename: commit() alone renames a short file over the good one.
    if (!writeAll(f, data, &r.error, 0) || sizeOf(f) != data.size()) {
        if (r.error.isEmpty())
            r.error = QStringLiteral("the data could not all be written");
        f.cancelWriting();
        return r; // the temporary file goes with `f`
    }
    if (!f.commit()) {
        r.error = f.errorString();
        return r;
    }
    if (QFileInfo(path).size() != data.size()) {
        r.error = QStringLiteral("the file was written short");
        return r;
    }
    r.ok = true;
    return r;
}

} // namespace

ReplaceResult replaceFile(const QString& path, const QByteArray& data) {
    ReplaceResult r = replace(path, data);
    r.error = systemReason(r.error);
    return r;
}

} // namespace tav
