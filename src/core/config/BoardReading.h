#pragma once

#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace tav {

struct AppState;

// What one read of the board gave for one value.
enum class ReadStatus {
    NotRead,     // no command (no catalogue entry), or the poll's read stopped before it
    Unanswered,  // empty answer
    Unavailable, // "xxx": the board cannot give the value
    NotNumber,   // an answer that is no number where one is expected
    Number,      // `number` holds it in display units
    Text,        // serial number and version: the answer as it came
};

// One value the manual configuration window reads, as it shows it.
struct BoardValue {
    QString entry;    // catalogue text ("SOP (Set output power)"), the report's source
    QString mnemonic; // "SOP"
    QString answer;   // the value part of the answer as it came
    ReadStatus status = ReadStatus::NotRead;
    std::optional<double> number; // display units (RP2 as its ramp duration, SOP capped)
    // What a window that had shown nothing before shows: the number, the text, "XXX" for a
    // value not available, else empty.
    QString text() const;
    bool read() const { return status != ReadStatus::NotRead; }
};

// The catalogue texts the reading sends: the window's tooltips, or the catalogue itself.
struct ReadingEntries {
    QString serial;
    std::array<QString, 15> parameters;
    std::array<QString, 16> readOnly; // LabelTxt: the version first
};
ReadingEntries catalogueEntries(const AppState& s);

// What the window's reading gives: serial number, the two version reads, the fifteen writable
// parameters, the fifteen calibration and A/D values after the version, the mode.
struct BoardReading {
    BoardValue serial;
    BoardValue firstVersion; // only tells that a board answers
    BoardValue version;      // the second read, the one shown (empty when it got no answer)
    std::array<BoardValue, 15> parameters;
    std::array<BoardValue, 15> readOnly;
    BoardValue mode; // "ASS": 1..4, 0 for a number that names none of the four modes
    bool ok = false; // serial number, version, parameters and mode all answered
    // The serial number and the first version read answered: the reading went on.
    bool answered() const;
    // Every value there is a command for was read and given.
    bool complete() const;
    // Serial, version (the one shown), parameters, read-only, mode.
    QList<const BoardValue*> values() const;
};

using Exchanger = std::function<QString(const QString& command)>;

// The manual configuration window's reading of the board ("SNU?", "VER?", the parameters,
// "VER?" again, the read-only values, "ASS?"), with its scales, the RP2 ramp rule and the
// output-power cap. Without `all` (the poll's read) the parameters stop at the first one
// without answer. Stops after the serial number or the first version read when either gets no
// answer; the second version read goes on whatever it gets. Only reads are sent.
BoardReading lireCarte(const Exchanger& exchange, const ReadingEntries& entries, bool all);
// The same through the exchange and the catalogue of the program folder.
BoardReading lireCarte(AppState& s, bool all = true);

// Output power shown once the nominal power is known: Int(nominal) when above it.
std::optional<double> cappedOutputPower(double output, double nominal);

} // namespace tav
