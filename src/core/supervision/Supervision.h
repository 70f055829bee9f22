#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tav {

struct AppState;

// The data supervision acquisition without its window: sheet layout, settings, record file names,
// the row schedule and the measurement of one row.

// Sheet columns: DATE, Time, Duration, then the read commands sent for each row. LDC comes last so
// that the first ten columns keep their places in the record files.
inline constexpr int kSupervisionColumns = 11;
inline constexpr int kFirstMeasuredColumn = 4;
inline constexpr int kSupervisionRowGrowth = 500;
// The sheet scrolls the current row to the top every this many rows.
inline constexpr int kSupervisionScrollRows = 27;
inline const QString kSupervisionSection = QStringLiteral("SupervisionData");
inline const QString kDefaultRecordExtension = QStringLiteral(".xls");

// Mnemonics of columns 4 to 11, in column order.
const QStringList& supervisionMnemonics();

// "Supervision" folder of the program directory.
QString supervisionDir(const QString& programDir);

// Acquisition period in whole seconds (halves to even), or nothing when the text is empty, not a
// number, or gives less than one second.
std::optional<int> acquisitionPeriod(const QString& text);
// Record every N rows; nothing when the text is empty, not a number or gives less than 1.
std::optional<int> recordEvery(const QString& text);

// Base name of a record: the serial number, or day_month_year_hour_minute of `t` when it is
// empty. Folder separators in the serial number become "_".
QString recordBaseName(const QString& serialNumber, const QDateTime& t);

// Row schedule on elapsed seconds (a monotonic clock), so that a change of the wall clock or the
// turn of the year neither stops nor rushes a run.
class SupervisionSchedule {
public:
    // Next row at once.
    void restart() { pending_ = false; }
    // True when a row is to be taken at `nowS`.
    bool due(qint64 nowS) const { return !pending_ || nowS >= next_; }
    // Takes the row: the first row of a run starts the duration. Returns the duration in hours of
    // the row (0 on the first row, then one period ahead, as the next row's time).
    double take(qint64 nowS, int periodS, bool firstRow);
    // Minutes until the next row (negative once it is due).
    double minutesLeft(qint64 nowS) const { return double(next_ - nowS) / 60.0; }

private:
    bool pending_ = false;
    qint64 first_ = 0;
    qint64 next_ = 0;
};

// Duration text of a row ("2.0000").
QString durationText(double hours);

// The label under the tabs: `immediate` once the minutes left show as "0.0" or less, else
// `next`, a space, the minutes with one decimal and " mn".
QString nextMeasureText(double minutesLeft, const QString& immediate, const QString& next);

// What a read without answer does to the run; the driver chooses.
enum class MissingAnswer {
    LeaveEmpty, // the cell stays empty and the row goes on
    EndRow,     // the rest of the row stays empty and the run is to end
};

// What MesurerLigne did.
struct RowReads {
    QStringList unanswered; // reads without answer, and a read not sent (port gone)
    int answered = 0;       // reads that got a usable answer
    bool portGone = false;  // the port went away during the row, or could not be opened again
    bool endRun = false;    // an unanswered read under EndRow, or failed() said stop
    // No read got an answer, or the port went away.
    bool linkLost() const { return portGone || (answered == 0 && !unanswered.isEmpty()); }
};

// Sends every mnemonic followed by "?" in turn. A usable answer goes to store(i, answer): text
// values (ALA) as received, numeric ones when they are a number or "xxx"; any other answer is
// none. A read without answer leaves the cell alone and follows `missing`. A port that is closed
// and cannot be opened counts the read as unanswered and ends the row. A read during which the
// port went away (a pulled adapter) marks the port gone: the link is lost, not just that read.
// After each column pending events run, then the loop ends when stop() is true. When store
// fails, failed(command) decides: true goes on, false ends the row and the run.
RowReads MesurerLigne(AppState& s, const QStringList& mnemonics, MissingAnswer missing,
                      const std::function<bool(int, const QString&)>& store,
                      const std::function<bool()>& stop,
                      const std::function<bool(const QString&)>& failed);

} // namespace tav
