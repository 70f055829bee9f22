#include "core/download/HexFile.h"

#include "core/text/Cp1252.h"

#include <QFile>
#include <QFileInfo>

namespace tav {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

bool endsItem(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

bool isAsciiHexDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

QString hex2(int byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

// What is wrong with one record, or the empty text. Sets `ended` on an end-of-file record.
QString recordFault(const QString& t, bool& ended) {
    if (t.isEmpty()) return QStringLiteral("the line is empty");
    if (t[0] != u':') return QStringLiteral("it does not start with \":\"");
    for (qsizetype i = 1; i < t.size(); ++i) {
        const QChar c = t[i];
        if (!isAsciiHexDigit(c.unicode()))
            return QStringLiteral("character %1 (%2) is not a hex digit")
                .arg(i + 1)
                .arg(c.unicode() > 32 && c.unicode() < 127
                         ? QStringLiteral("\"%1\"").arg(c)
                         : QStringLiteral("code %1").arg(c.unicode()));
    }
    const qsizetype digits = t.size() - 1;
    if (digits % 2) return QStringLiteral("it has an odd number of hex digits");
    if (digits < 10) return QStringLiteral("it is too short for a record (10 hex digits at least)");
    const QByteArray bytes = QByteArray::fromHex(t.mid(1).toLatin1());
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

QList<FileItem> lireChamps(const QByteArray& c) {
    QList<FileItem> out;
    const qsizetype n = c.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        while (i < n && blank(c[i]))
            ++i;
        qsizetype start = i, end = i;
        if (i < n && c[i] == '"') {
            start = ++i;
            while (i < n && c[i] != '"' && c[i] != '\r' && c[i] != '\n')
                ++i;
            end = i;
            while (i < n && !endsItem(c[i])) // the closing quote and what follows it
                ++i;
        } else {
            while (i < n && !endsItem(c[i]))
                ++i;
            end = i;
            while (end > start && blank(c[end - 1]))
                --end;
        }
        out.push_back({fromCp1252(c.constData() + start, end - start), line});
        if (i >= n) break;
        if (c[i] == ',') {
            if (++i == n) // a comma at the very end still ends an (empty) item after it
                out.push_back({QString(), line});
            continue;
        }
        if (c[i] == '\r' && i + 1 < n && c[i + 1] == '\n') ++i;
        ++i;
        ++line;
    }
    return out;
}

HexProblem verifierHex(const QList<FileItem>& items) {
    if (items.isEmpty()) return {1, QStringLiteral("the file holds no record")};
    bool ended = false;
    for (qsizetype k = 0; k < items.size(); ++k) {
        const FileItem& it = items[k];
        if (ended) return {it.line, QStringLiteral("it follows the end-of-file record")};
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
    const QFileInfo info(path);
    const QString again = QStringLiteral(" Choose the board's Intel-HEX file with File > Open.");
    if (info.isDir()) {
        f.error = QStringLiteral("\"%1\" is a folder, not a file.").arg(path) + again;
        return f;
    }
    if (!info.exists()) {
        f.error = QStringLiteral("The file \"%1\" does not exist.").arg(path) + again;
        return f;
    }
    const QString tooLarge =
        QStringLiteral("The file \"%1\" is larger than %2 MB: it is not the board's software.")
            .arg(path)
            .arg(kMaxHexFileBytes / (1024 * 1024)) +
        again;
    if (info.size() > kMaxHexFileBytes) {
        f.error = tooLarge;
        return f;
    }
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.read(kMaxHexFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        f.error =
            QStringLiteral("The file \"%1\" cannot be read: %2.").arg(path, file.errorString()) +
            again;
        return f;
    }
    if (bytes.size() > kMaxHexFileBytes) {
        f.error = tooLarge;
        return f;
    }
    if (bytes.isEmpty()) {
        f.error = QStringLiteral("The file \"%1\" is empty.").arg(path) + again;
        return f;
    }
    const QList<FileItem> items = lireChamps(bytes);
    f.lines.reserve(items.size());
    for (const FileItem& it : items)
        f.lines << it.text;
    f.problem = verifierHex(items);
    return f;
}

QString messageHexInvalide(const QString& path, const HexProblem& problem) {
    return QStringLiteral("The file \"%1\" is not a sound Intel-HEX file: line %2: %3.")
        .arg(QFileInfo(path).fileName())
        .arg(problem.line)
        .arg(problem.what);
}

} // namespace tav
