#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
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

// Why a JSON document breaks packaging/schemas/<name>.schema.json (python3-jsonschema); empty
// when it holds.
inline QString schemaFaults(const QByteArray& json, const QString& name) {
    QProcess p;
    p.start("python3", {"-c", "import json,sys,jsonschema as j;j.validate(json.load(sys.stdin),json."
                              "load(open(sys.argv[1])))", QFileInfo(__FILE__).dir().filePath(
                                  "../../packaging/schemas/" + name + ".schema.json")});
    p.write(json), p.closeWriteChannel();
    return p.waitForFinished(60000) && p.exitCode() == 0 ? QString() : name + ": " + p.readAllStandardError();
}

} // namespace tav::test
