#pragma once

#include "core/configfile/ConfigItems.h"

#include <QString>
#include <QStringList>

namespace tav {

// The first fault of a file as an Intel-HEX image; line 0 when it is sound.
struct HexProblem {
    int line = 0;
    QString what; // what is wrong, as the end of a sentence ("its checksum is 3C, not 3D")
    bool ok() const { return line == 0; }
};

// Items come from lireItems (the field-reading rule). Every item must be a record (":" then hex
// digits: length, address, type 00 to 05, data, checksum; the length byte matching the data, the
// checksum right), one per line, and the last one the end-of-file record. Nothing but empty lines
// may follow the end-of-file record; a sound file's lines leave them out.
HexProblem verifierHex(const QList<FileItem>& items);

// A hex file read for a download: the whole file at once, so that what was checked and counted
// is exactly what is sent, even if the file changes or disappears meanwhile.
struct HexFile {
    QString error; // why the file cannot be used at all (missing, folder, empty, too large)
    QStringList lines;
    HexProblem problem;
};

inline constexpr qint64 kMaxHexFileBytes = 64LL * 1024 * 1024;

HexFile lireFichierHex(const QString& path);

// "The file ... is not an Intel-HEX file: line N: what." for a refused file.
QString messageHexInvalide(const QString& path, const HexProblem& problem);

} // namespace tav
