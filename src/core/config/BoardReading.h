#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace tav {

struct AppState;

// One value the manual configuration window reads, as it shows it.
struct BoardValue {
    QString entry;    // catalogue text ("SOP (Set output power)"), the report's source
    QString mnemonic; // "SOP"
    QString text;     // the value in display units ("12.5"), or the answer as it came
    std::optional<double> number; // the value when the answer held a number
    bool answered = false;
};

// What the window's reading gives: serial number, version, the fifteen writable parameters
// (display units, RP2 as its ramp duration), the fifteen calibration and A/D values, the mode.
struct BoardReading {
    BoardValue serial;
    BoardValue version;
    QList<BoardValue> parameters;
    QList<BoardValue> readOnly;
    BoardValue mode; // "ASS": the control mode, 0 when unknown
    bool complete() const; // every value answered
};

// Reads the board with the window's commands and scales; only reads are sent. Stops after the
// serial number or the version when either gets no answer (no board there).
BoardReading lireCarte(AppState& s);

} // namespace tav
