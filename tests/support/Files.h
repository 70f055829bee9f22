#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringList>

#include <utility>

namespace tav::test {

// A file's bytes; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

// The sections of a settings file in file order, as written, each with its keys in order.
inline QList<std::pair<QString, QStringList>> iniSections(const QByteArray& data) {
    QList<std::pair<QString, QStringList>> out;
    for (QByteArray line : data.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('['))
            out.append({QString::fromLatin1(line.mid(1, line.indexOf(']') - 1)), {}});
        else if (line.contains('=') && !out.isEmpty())
            out.last().second << QString::fromLatin1(line.left(line.indexOf('=')));
    }
    return out;
}

} // namespace tav::test
