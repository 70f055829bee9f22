#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tav {

// One item of a text file and the line it starts on (from 1).
struct FileItem {
    QByteArray text;
    int line = 0;
};

// Items of a text file read with the comma-separated field rule: leading blanks are skipped;
// an item ends at a comma or at a line end (CR LF, CR or LF); a double-quoted section is taken
// as it stands (commas included) and the rest of the field after it is dropped; trailing
// blanks of an unquoted item are dropped. A final line end starts no new item, and an empty
// line is one empty item.
QList<FileItem> lireItems(const QByteArray& content);

// Position of the first character outside printable ASCII (codes 32 to 126), -1 when none.
// A board command holds printable ASCII only.
qsizetype firstUnprintable(const QByteArray& text);

// The largest file the configuration operations read (a configuration file is a few hundred
// commands; at half a second per command this one would take hours to load).
inline constexpr qint64 kMaxConfigFileBytes = 1024 * 1024;

// The whole content of a regular file of at most kMaxConfigFileBytes; otherwise no value and
// `error` says what is wrong and what to do.
std::optional<QByteArray> lireFichierConfiguration(const QString& path, QString* error);

// An item as a message can show it: Windows-1252 text, control characters as "?", long items
// cut with "...".
QString itemForMessage(const QByteArray& item);
// The character at `pos` for a message: "Ä" (code 196), or code 9 for a control character.
QString characterForMessage(const QByteArray& item, qsizetype pos);

} // namespace tav
