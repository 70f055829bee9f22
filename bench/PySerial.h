#pragma once

// The pyserial comparison of the benchmarks: runs bench/exchange_pyserial.py on a device and
// returns the median of its rounds.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>

namespace tav::bench {

// Median in ms of `rounds` rounds of `commands` (each paced by `pauseMs` as the program does);
// 0 when the script could not run. Prints the script's own line.
inline double pyserialRoundMs(const QString& device, int baud, int pauseMs,
                              const QStringList& commands, int rounds) {
    const QString script = QDir(QStringLiteral(TAV_BENCH_DIR))
                               .filePath(QStringLiteral("exchange_pyserial.py"));
    // The distribution's interpreter, which has python3-serial.
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : QStringLiteral("python3");
    QProcess p;
    p.start(python, QStringList{script, QStringLiteral("--port"), device, QStringLiteral("--baud"),
                                QString::number(baud), QStringLiteral("--pause"),
                                QString::number(pauseMs), QStringLiteral("--rounds"),
                                QString::number(rounds)} +
                        commands);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "pyserial comparison did not run (%s): %s\n", qPrintable(script),
                     p.readAllStandardError().constData());
        return 0;
    }
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    std::printf("%s", qPrintable(out));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("median ([0-9.]+) ms")).match(out);
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

} // namespace tav::bench
