#include "core/download/HexFile.h"

#include "core/text/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cctype>

namespace tav {

namespace {

QString hex2(int byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

// What is wrong with one record, or the empty text. Sets `ended` on an end-of-file record.
QString recordFault(const QByteArray& t, bool& ended) {
    if (t.isEmpty()) return QStringLiteral("the line is empty");
    if (t[0] != ':') return QStringLiteral("it does not start with \":\"");
    for (qsizetype i = 1; i < t.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(t[i])))
            return QStringLiteral("character %1, %2, is not a hex digit")
                .arg(i + 1)
                .arg(characterForMessage(t, i));
    const qsizetype digits = t.size() - 1;
    if (digits % 2) return QStringLiteral("it has an odd number of hex digits");
    if (digits < 10) return QStringLiteral("it is too short for a record (10 hex digits at least)");
    const QByteArray bytes = QByteArray::fromHex(t.mid(1));
    const int length = quint8(bytes[0]);
    const qsizetype data = bytes.size() - 5;
    if (length != data)
        return QStringLiteral("its length byte gives %1 data bytes but it holds %2")
            .arg(length)
            .arg(data);
    const int type = quint8(bytes[3]);
    if (type > 5) return QStringLiteral("its record type %1 is unknown (00 to 05)").arg(hex2(type));
    quint8 sum = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); ++i)
        sum += quint8(bytes[i]);
    const int expected = quint8(-sum), actual = quint8(bytes.back());
    if (actual != expected)
        return QStringLiteral("its checksum is %1, its bytes give %2")
            .arg(hex2(actual), hex2(expected));
    ended = type == 1;
    return {};
}

} // namespace

HexProblem verifierHex(const QList<FileItem>& items) {
    if (items.isEmpty()) return {1, QStringLiteral("the file holds no record")};
    bool ended = false;
    for (qsizetype k = 0; k < items.size(); ++k) {
        const FileItem& it = items[k];
        if (ended) {
            // A file saved with extra line ends: nothing to send.
            if (it.text.isEmpty()) continue;
            return {it.line, QStringLiteral("it follows the end-of-file record")};
        }
        const bool split = (k > 0 && items[k - 1].line == it.line) ||
                           (k + 1 < items.size() && items[k + 1].line == it.line);
        if (split) return {it.line, QStringLiteral("it holds a comma, which splits it in two")};
        const QString what = recordFault(it.text, ended);
        if (!what.isEmpty()) return {it.line, what};
    }
    if (!ended)
        return {items.last().line,
                QStringLiteral("the file ends without an end-of-file record (:00000001FF)")};
    return {};
}

HexFile lireFichierHex(const QString& path) {
    HexFile f;
    const QString shown = QDir::toNativeSeparators(path);
    const auto refuse = [&](const QString& what) {
        f.error = what.arg(shown) +
                  QStringLiteral(" Choose the board's Intel-HEX file with File > Open.");
        return f;
    };
    const QString tooLarge = QStringLiteral("The file \"%1\" is larger than ") +
                             QString::number(kMaxHexFileBytes / (1024 * 1024)) +
                             QStringLiteral(" MB: it is not the board's software.");
    const QFileInfo info(path);
    if (info.isDir()) return refuse(QStringLiteral("\"%1\" is a folder, not a file."));
    if (!info.exists()) return refuse(QStringLiteral("The file \"%1\" does not exist."));
    // A device or a pipe could be read for ever.
    if (!info.isFile()) return refuse(QStringLiteral("\"%1\" is not a regular file."));
    if (info.size() > kMaxHexFileBytes) return refuse(tooLarge);
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.read(kMaxHexFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("The file \"%1\" cannot be read: ") + file.errorString() +
                      u'.');
    if (bytes.size() > kMaxHexFileBytes) return refuse(tooLarge);
    if (bytes.isEmpty()) return refuse(QStringLiteral("The file \"%1\" is empty."));
    QList<FileItem> items = lireItems(bytes);
    f.problem = verifierHex(items);
    // Empty lines after the end-of-file record are neither sent nor counted.
    while (f.problem.ok() && !items.isEmpty() && items.last().text.isEmpty())
        items.removeLast();
    f.lines.reserve(items.size());
    for (const FileItem& it : items)
        f.lines << fromCp1252(it.text);
    return f;
}

QString messageHexInvalide(const QString& path, const HexProblem& problem) {
    return QStringLiteral("The file \"%1\" is not a sound Intel-HEX file: line %2: %3.")
        .arg(QFileInfo(path).fileName())
        .arg(problem.line)
        .arg(problem.what);
}

} // namespace tav
