#include "core/control/MeasurementLog.h"

#include "core/AppState.h"
#include "core/io/FileReplace.h"
#include "core/text/Cp1252.h"

#include <QDir>
#include <QFileInfo>

namespace tav {

QString resultsDir(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("Results"));
}

bool ensureResultsDir(const QString& programDir) {
    const QString dir = resultsDir(programDir);
    return QDir().mkpath(dir) && QFileInfo(dir).isDir();
}

QString logBaseName(const QDateTime& t) {
    const QDate d = t.date();
    const QTime h = t.time();
    return QStringLiteral("%1_%2_%3_%4_%5")
        .arg(d.day())
        .arg(d.month())
        .arg(d.year())
        .arg(h.hour())
        .arg(h.minute());
}

QString nomJournalFor(const QString& programDir, const QDateTime& t) {
    return QDir(resultsDir(programDir)).filePath(logBaseName(t));
}

QString logFilePath(AppState& s) {
    if (s.NomJournal.isEmpty()) s.NomJournal = QDir(resultsDir(s.programDir)).filePath(kNoNameLog);
    return s.NomJournal + kLogExtension;
}

QString logDateText(const QDateTime& t) {
    return t.date().toString(QStringLiteral("dd/MM/yyyy"));
}

QString logTimeText(const QDateTime& t) {
    return t.time().toString(QStringLiteral("HH:mm:ss"));
}

QByteArray logLine(const QStringList& cells) {
    QByteArray line;
    for (const QString& c : cells) {
        line += toCp1252(c);
        line += '\t';
    }
    line += "\r\n";
    return line;
}

bool measurementRowDue(qint32& compteur) {
    if (compteur % kLogTickPeriod != 0) {
        ++compteur;
        return false;
    }
    return true;
}

int rowCountForRow(int ligne, int rowCount) {
    return ligne > rowCount ? ligne + kLogRowGrowth : rowCount;
}

LogWriteResult writeMeasurementLog(const QString& path, int lastRow, int columns,
                                   const std::function<QString(int, int)>& cell) {
    LogWriteResult result;
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        result.error = QStringLiteral("cannot create the folder %1")
                           .arg(QDir::toNativeSeparators(info.absolutePath()));
        return result;
    }
    QByteArray data;
    QStringList cells;
    cells.reserve(columns);
    for (int row = 0; row <= lastRow; ++row) {
        cells.clear();
        for (int col = 1; col <= columns; ++col)
            cells.append(cell(row, col));
        data += logLine(cells);
    }
    const ReplaceResult written = replaceFile(path, data);
    if (!written.ok) {
        result.error = written.error;
        return result;
    }
    result.ok = true;
    return result;
}

QStringList logHeader(const QStringList& readingTitles) {
    return QStringList{QStringLiteral("Date"), QStringLiteral("Time")} + readingTitles +
           QStringList{QStringLiteral("Ala"), QStringLiteral("War")};
}

bool headerNeededAt(int ligne, const QStringList& header,
                    const std::function<QString(int, int)>& cell) {
    for (int row = ligne - 1; row >= 0; --row) {
        if (cell(row, 1) != header.value(0))
            continue;
        for (int col = 1; col <= header.size(); ++col) {
            if (cell(row, col) != header[col - 1])
                return true;
        }
        return false;
    }
    return true;
}

} // namespace tav
