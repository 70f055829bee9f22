#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tav {

// A record file written line by line: created under a name no other file has, each line handed
// to the system as soon as it is appended, so that a crash of the program loses nothing written.
class RecordFile {
public:
    // Creates dir/base + extension, or dir/base_2 + extension, _3... when the name is taken
    // (an earlier record, or the file a running acquisition writes). The folder is created when
    // missing. False with error() set when no file could be created.
    bool create(const QString& dir, const QString& base, const QString& extension);
    // Opens `path`, replacing what it held, or standard output when `path` is empty.
    bool open(const QString& path);
    // Writes the line and flushes it. False with error() set on a failed write.
    bool append(const QByteArray& line);
    void close();
    // Closes and deletes the file (a start that failed after creating it).
    void discard();

    bool isOpen() const { return file_.isOpen(); }
    QString path() const { return file_.fileName(); }
    QString error() const { return error_; }

private:
    QFile file_;
    QString error_;
};

} // namespace tav
