#include "core/configfile/ConfigItems.h"

#include "core/text/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tav {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

QList<FileItem> lireItems(const QByteArray& content) {
    QList<FileItem> items;
    const qsizetype n = content.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        while (i < n && isBlank(content[i]))
            ++i;
        FileItem item{{}, line};
        if (i < n && content[i] == '"') {
            // Quoted: up to the closing quote (or the line end); the rest of the field is dropped.
            const qsizetype start = ++i;
            while (i < n && content[i] != '"' && !isLineEnd(content[i]))
                ++i;
            item.text = content.mid(start, i - start);
            while (i < n && content[i] != ',' && !isLineEnd(content[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && content[i] != ',' && !isLineEnd(content[i]))
                ++i;
            qsizetype end = i;
            while (end > start && isBlank(content[end - 1]))
                --end;
            item.text = content.mid(start, end - start);
        }
        items.push_back(item);
        if (i < n && content[i] == ',') {
            ++i;
            continue;
        }
        // Line end: CR LF counts once.
        if (i < n && content[i] == '\r') ++i;
        if (i < n && content[i] == '\n') ++i;
        ++line;
    }
    return items;
}

qsizetype firstUnprintable(const QByteArray& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 32 || c > 126) return i;
    }
    return -1;
}

std::optional<QByteArray> lireFichierConfiguration(const QString& path, QString* error) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        *error =
            QStringLiteral("The file \"%1\" does not exist. Choose an existing file.").arg(shown);
        return std::nullopt;
    }
    if (info.isDir()) {
        *error = QStringLiteral("\"%1\" is a folder. Choose a text file in it.").arg(shown);
        return std::nullopt;
    }
    if (!info.isFile()) {
        *error = QStringLiteral("\"%1\" is not a regular file. Choose a text file.").arg(shown);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("The file \"%1\" cannot be read (%2).").arg(shown, file.errorString());
        return std::nullopt;
    }
    // Read one byte more than allowed: the size on disk may change while we read.
    QByteArray content = file.read(kMaxConfigFileBytes + 1);
    if (content.size() > kMaxConfigFileBytes) {
        *error = QStringLiteral("The file \"%1\" is too large for a configuration file (more than "
                                "%2 KB). Choose the right file.")
                     .arg(shown, QString::number(kMaxConfigFileBytes / 1024));
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        *error =
            QStringLiteral("The file \"%1\" cannot be read (%2).").arg(shown, file.errorString());
        return std::nullopt;
    }
    return content;
}

QString itemForMessage(const QByteArray& item) {
    constexpr qsizetype kShown = 60;
    QByteArray cut = item.left(kShown);
    for (char& c : cut)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    QString text = fromCp1252(cut);
    if (item.size() > kShown) text += QStringLiteral("...");
    return text;
}

QString characterForMessage(const QByteArray& item, qsizetype pos) {
    const auto c = static_cast<unsigned char>(item[pos]);
    if (c < 32 || c == 127) return QStringLiteral("code %1").arg(c);
    return QStringLiteral("\"%1\" (code %2)").arg(fromCp1252(item.mid(pos, 1))).arg(c);
}

} // namespace tav
