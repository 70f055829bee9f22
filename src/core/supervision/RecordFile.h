#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tav {

// A record file written line by line: created under a name no other file has, each line handed
// to the system as soon as it is appended, so that a crash of the program loses nothing written.
// A line goes in whole or not at all: a short write (full disk) is cut back to the last whole
// line, and a file left empty by a failed write is removed when it is closed.
class RecordFile {
public:
    RecordFile() = default;
    ~RecordFile() { close(); }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Creates dir/base + extension, or dir/base_2 + extension, _3... when the name is taken
    // (an earlier record, or the file a running acquisition writes). The folder is created when
    // missing. False with error() set when no file could be created.
    bool create(const QString& dir, const QString& base, const QString& extension);
    // Creates `path`, which must not exist (a script names its file: nothing is replaced), or
    // writes to standard output when `path` is empty.
    bool open(const QString& path);
    // Writes the line(s) and hands them to the system. False with error() set on a failed
    // write; the file then ends with the lines written before (standard output cannot be cut
    // back: what the system took of the line stays there).
    bool append(const QByteArray& lines);
    void close();
    // Closes and deletes the file (a start that failed after creating it).
    void discard();

    bool isOpen() const { return file_.isOpen(); }
    QString path() const { return file_.fileName(); }
    QString error() const { return error_; }
    // What the operator can do about the last failure (make room, get write access).
    QString advice() const { return advice_; }

private:
    void failed(const QString& what, const QString& reason, const QString& folder);
    QString name() const;
    QFile file_;
    QString error_;
    QString advice_;
    qint64 size_ = 0;     // bytes of whole lines in the file
    bool failed_ = false; // a write failed since the file was opened
};

} // namespace tav
