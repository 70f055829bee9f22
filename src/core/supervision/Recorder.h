#pragma once

#include "core/supervision/RecordFile.h"
#include "core/supervision/Supervision.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tav {

struct AppState;

// The supervision acquisition that the window and `tavoemctl record` drive: the row schedule,
// the reads of a row, its cells and the record file's lines. No widget, no global: one per run
// and per port.

// The window's lines (TAB-ended cells), the same as CSV, or data: CSV of named columns in the
// metrics' units with a full time stamp on every row (core/fleet/DataRecord.h).
enum class RecordFormat { Tabs, Csv, Data };
// "window", "csv" or "data"; nothing for another name.
std::optional<RecordFormat> recordFormatNamed(const QString& name);

// One line of a record file: every cell followed by a TAB, CR LF; or RFC 4180 CSV, CR LF.
QByteArray recordLine(const QStringList& cells, RecordFormat format);
// Header row: "DATE", the Time and Duration captions of the current language, the mnemonics.
QStringList supervisionHeader(const AppState& s);
// The header of a record in `format`.
QStringList recordHeader(const AppState& s, RecordFormat format);
// The reads of a row in `format`: the supervision reads; as data also the warning word and
// the laser state.
QStringList recordReads(RecordFormat format);

struct RecorderSettings {
    int periodS = 1;
    int every = 1; // every N-th row is recorded
    MissingAnswer missing = MissingAnswer::LeaveEmpty;
    RecordFormat format = RecordFormat::Tabs;
};

// What the driver shows of a row; every hook may be left empty.
struct RowHooks {
    // Time and duration are set, before the reads (the sheet shows them).
    std::function<void(const QStringList& cells)> timed;
    // The answer for `column` (4 to 11); false is an error while the row is filled.
    std::function<bool(int column, const QString& answer)> store;
    std::function<bool()> stop; // a stop asked: the rest of the row stays empty
    // After a store error: true goes on with the row, false ends the run.
    std::function<bool(const QString& command)> failed;
};

// What a row tells of the link, against the row before.
enum class LinkChange { None, Lost, Back };

struct RowOutcome {
    int row = 0;            // the row taken; 0 when a stop came before its reads
    QStringList cells;      // columns 1 to kSupervisionColumns
    QStringList unanswered; // reads without answer
    bool endRun = false;    // the run is to end (unanswered under EndRow, a refused error,
                            // a failed write)
    bool writeFailed = false; // the record line could not be written: file().error()
    bool linkLost = false;    // no read got an answer, or the port went away
    LinkChange link = LinkChange::None;
};

// How long a run lasts; neither bound: until it is stopped.
struct RunLength {
    std::optional<qint64> durationS; // the rows due at 0, P, 2P ... seconds of the run below it
    std::optional<qint64> rows;      // this many rows
};

class SupervisionRecorder {
public:
    explicit SupervisionRecorder(AppState& s) : s_(s) {}

    // The output: create() or open() it, then start().
    RecordFile& file() { return file_; }
    const RecordFile& file() const { return file_; }
    // Writes the header line and begins a run at row 1, taken at once. False on a failed write.
    bool start(const RecorderSettings& settings, const QStringList& header);
    // The wall clock's date at a tick: the row to take gets it on the first row of the run and
    // whenever it changes. True when it did (the sheet shows it at once).
    bool noteDate(const QString& date);
    bool due(qint64 nowS) const { return schedule_.due(nowS); }
    double minutesLeft(qint64 nowS) const { return schedule_.minutesLeft(nowS); }
    // Takes the row due at `nowS` (elapsed seconds) with its time of day: time and duration,
    // the reads, then the record line when the row is an N-th one. The date of the day goes
    // on the first recorded line of each day, also when the row itself is undated.
    // As data, the row is stamped with `stamp` (default: now).
    RowOutcome takeRow(qint64 nowS, const QString& time, const RowHooks& hooks,
                       const QDateTime& stamp = {});
    QStringList reads() const { return recordReads(settings_.format); }
    // A whole run after start(), on the state's clock counted from now: a row at once, then each
    // when due, until `length` is reached or `stop` says so between rows. Date and time of day
    // come from `wallClock`; `taken` gets each row and returns false to end the run.
    void run(const RunLength& length, const RowHooks& hooks,
             const std::function<QDateTime()>& wallClock, const std::function<bool()>& stop,
             const std::function<bool(const RowOutcome&)>& taken);
    int row() const { return row_; } // the row to take next
    // "link lost at <time of the row that lost it>" until a row gets answers again, then "link
    // back at <its time>" until the next row; empty otherwise.
    const QString& linkNote() const { return linkNote_; }
    void finish() { file_.close(); }

private:
    AppState& s_;
    RecorderSettings settings_;
    RecordFile file_;
    SupervisionSchedule schedule_;
    QStringList cells_;
    QString date_;         // date seen at the last tick
    QString recordedDate_; // date of the record's last dated line
    int row_ = 1;
    bool linkLost_ = false;
    QString linkNote_;
};

} // namespace tav
