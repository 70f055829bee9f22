#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace tav {

struct AppState;

// The control panel's measurement log: one row of readings every 40 working poll ticks into the
// measurement sheet, the whole sheet rewritten after each row into a tab-separated ".xls" text
// file in the "Results" folder of the program directory.

// Columns of the measurement sheet: date, time, five readings, alarm text, warning text.
inline constexpr int kLogColumns = 9;
// A row is written on every 40th working tick.
inline constexpr int kLogTickPeriod = 40;
// The sheet grows by this many rows when full.
inline constexpr int kLogRowGrowth = 100;
// Base name used when the file must be written before any log was started.
inline const QString kNoNameLog = QStringLiteral("NO_NAME_M");
inline const QString kLogExtension = QStringLiteral(".xls");

// The "Results" folder of the program directory.
QString resultsDir(const QString& programDir);
// Creates the folder when missing; true when it exists afterwards.
bool ensureResultsDir(const QString& programDir);

// Base name of a log started at `t`: day_month_year_hour_minute, no leading zeros
// ("5_12_2026_9_7" for 5 December 2026, 09:07).
QString logBaseName(const QDateTime& t);
// NomJournal of a log started at `t`: Results folder + base name, without extension.
QString nomJournalFor(const QString& programDir, const QDateTime& t);
// The file EnregistrerJournal writes: NomJournal + ".xls". An empty NomJournal first becomes
// Results folder + "NO_NAME_M".
QString logFilePath(AppState& s);

// Date and time texts of the panel and of the log rows (fixed formats).
QString logDateText(const QDateTime& t);
QString logTimeText(const QDateTime& t);

// One line of the file: every cell followed by a TAB, then CR LF (Windows-1252 bytes).
QByteArray logLine(const QStringList& cells);

// The 40-tick rhythm, run on each working tick while logging: when the counter is not a
// multiple of 40 it is increased and no row is due; otherwise a row is due (the caller writes
// it, advances LigneMesure and sets the counter to 1). The counter is not reset between logs.
bool measurementRowDue(qint32& compteurEnregistrement);

// Row count of the sheet before row `ligne` is written: unchanged while it fits, else
// ligne + 100.
int rowCountForRow(int ligne, int rowCount);

// Result of a log write.
struct LogWriteResult {
    bool ok = false;
    QString error; // the system's description when not ok
};

// Rewrites the log file from a sheet: rows 0 (header) to lastRow, columns 1 to `columns`,
// cell(row, col) giving each text, through replaceFile: a failure (unwritable folder, full disk)
// leaves the previous file untouched. The folder is created when missing.
LogWriteResult writeMeasurementLog(const QString& path, int lastRow, int columns,
                                   const std::function<QString(int, int)>& cell);

// Header row of the log: "Date", "Time", the five reading titles in the order the row shows
// them, "Ala", "War".
QStringList logHeader(const QStringList& readingTitles);
// True when a header row must go at row `ligne` before a data row whose columns `header`
// describes: the nearest header row above it ("Date" in column 1) names other columns, or there
// is none. Headers already written are never changed, so every row stays under the header that
// describes it, also when the order changes while logging or a laser start goes back to row 1.
bool headerNeededAt(int ligne, const QStringList& header,
                    const std::function<QString(int, int)>& cell);

} // namespace tav
