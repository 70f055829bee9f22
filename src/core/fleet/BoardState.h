#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tav {

// What the monitor knows of one board, and the metric samples made from it. No HTTP here: the
// front end hands the samples to its exposition library.

// A supervision read exported as a metric: the board's number divided by `divisor` gives the
// unit at the end of the name (tenths of dBm to dBm, mA to A).
struct ReadingMetric {
    const char* mnemonic;
    const char* name;
    const char* help;
    double divisor;
};
const std::vector<ReadingMetric>& readingMetrics();

// The reads of one row: the supervision reads, then the warning word and the laser state.
QStringList monitorReads();

inline constexpr int kAlarmBits = 7;   // bits 1..7
inline constexpr int kWarningBits = 4; // bits 0..3; 4..6 are not exported

struct BoardState {
    QString port;
    QString serial;  // as last identified (kept while the board is down)
    QString version;
    bool identified = false; // SNU? answered since the last loss
    bool up = false;
    // Per reading of readingMetrics(), in its unit; empty when "xxx" or not answered.
    std::vector<std::optional<double>> values;
    std::array<std::optional<bool>, kAlarmBits> alarms;   // index 0 = bit 1
    std::array<std::optional<bool>, kWarningBits> warnings;
    std::optional<bool> laserOn; // "STS?" as the control panel reads it
    quint64 exchanges = 0;
    quint64 timeouts = 0;
    quint64 reconnections = 0;
    quint64 lateAnswers = 0; // answers later than the time-out
    std::optional<qint64> lastCompleteRowMs; // monotonic clock of the last row with every answer
    std::optional<qint64> lastRowDurationMs; // how long the last row's reads took
};

// An alarm or warning word: 2 to 8 characters "0" and "1". Nothing else gives bit states.
bool isBitWord(const QString& answer);


// Takes a row's answers (mnemonic -> value text; a read without answer is missing) into the
// state: values scaled, alarm and warning words decoded as the control panel does; "xxx", a
// text without a number and a missing answer leave the value absent, any answer that is not a
// bit word leaves that word's bits absent (never 0). `up` follows whether anything
// was answered; a complete row stamps nowMs. The row's reads began at startedMs.
void applyRow(BoardState& state, const QHash<QString, QString>& answers, int unanswered,
              qint64 startedMs, qint64 nowMs);

// One exported series: labels in order, and its value.
struct Sample {
    std::vector<std::pair<QString, QString>> labels;
    double value = 0;
};
struct SampleFamily {
    QString name;
    QString help;
    bool counter = false; // else a gauge
    std::vector<Sample> samples;
};

// The captions of the alarm bits 1..7 and warning bits 0..3 as the English default texts give
// them, whatever language the program folder uses.
struct BitCaptions {
    QStringList alarms;
    QStringList warnings;
};
BitCaptions defaultBitCaptions();

// The families of every board's state at monotonic time nowMs.
std::vector<SampleFamily> fleetSamples(const std::vector<BoardState>& boards,
                                       const BitCaptions& captions, qint64 nowMs);

// The families in the Prometheus text format (version 0.0.4): HELP and TYPE lines, label values
// escaped, each value in the shortest form that reads back the same double (82.856, where a
// 16-digit writer gives 82.85599999999999).
std::string exposition(const std::vector<SampleFamily>& families);

} // namespace tav
