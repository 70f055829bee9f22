#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace tav {

// Result of a file replacement.
struct ReplaceResult {
    bool ok = false;
    bool inPlace = false; // the folder took no temporary file: the file was rewritten where it is
    QString error;        // the system's description when not ok ("disk full" for a full disk)
};

// Gives the file `path` the content `data`; every file the program rewrites goes through here.
// The data go to a temporary file in the same folder, are flushed and checked (error state and
// size) and only then renamed over the file. When the folder cannot take a temporary file but
// the file exists and may be written, the file is rewritten in place and its old bytes are put
// back when that fails. On any failure the old file keeps its content (a missing file stays
// missing) and no temporary file is left behind.
ReplaceResult replaceFile(const QString& path, const QByteArray& data);

// Writes all of `bytes` to the open file straight to the system, at offset `at`, or at the current
// position when `at` is negative (a pipe): Qt's buffered writes report a short write without its
// reason. On failure *reason says why it stopped ("disk full", "File too large") and *written,
// when given, holds what the system took.
bool writeAll(QFileDevice& f, const QByteArray& bytes, QString* reason, qint64 at = -1,
              qint64* written = nullptr);

} // namespace tav
