#pragma once

#include <QString>

#include <array>
#include <optional>

namespace tav {

// Decisions of the control panel that need no widget: how alarm and warning answers map to
// lamps, how set points are formatted, bounded and scaled, which mode a tab starts, and which
// divisor a reading uses on each tab.

// ---- Alarm and warning lamps ----------------------------------------------------------------

inline constexpr int kLampCount = 7;

// New state of each lamp (index 0..6) after an answer; an empty optional leaves the lamp as it
// was.
using LampStates = std::array<std::optional<bool>, kLampCount>;

// The board sends eight "0"/"1" characters, most significant bit first. A longer answer would
// address lamps that do not exist: only its last eight characters are used.
QString lampAnswer(const QString& answer);

// Alarm answer: the last character (bit 0) is not shown; the character before it is alarm bit 1
// (lamp 0), and so on towards the front: for a length L, character k gives lamp L - 2 - k.
// "00000010" sets lamp 0 only. An answer shorter than two characters changes nothing.
LampStates decodeAlarms(const QString& answer);

// Warning answer: the last four characters are warning bits 0..3, the last character being
// bit 0; for a length L, character j gives lamp 7 - j, for j = L - 1 down to L - 4. Lamps 4..6
// are never changed by an eight-character answer; shorter answers shift the bits accordingly.
LampStates decodeWarnings(const QString& answer);

// A lamp character is set when it reads as the number 1.
bool lampCharSet(QChar c);

// ---- Set-point channels ---------------------------------------------------------------------

// Channel i = box Txt(i) + slider CWSlide(i): 0 output power (dBm), 1 diode current (A),
// 2 input-power shutdown threshold (dBm), 3 eye-safety power limit (dBm).
inline constexpr int kChannelCount = 4;

// Board value = display value x factor: 1000 for the current (A to mA), 10 for the powers
// (dBm to 0.1 dBm).
int channelFactor(int channel);
// Decimals of the box format: "0.00" for the current, "0.0" otherwise.
int channelDecimals(int channel);
// Slider increment: 0.1, 0.01, 0.5, 0.1.
double channelStep(int channel);

// Fixed-decimal text ("0.0", "0.00"), halves rounded to even; never "-0.0".
QString formatFixed(double value, int decimals);
// Plain decimal text as the program writes numbers: up to 15 significant digits, no exponent,
// no trailing zeros ("120", "0.5", "-3.25").
QString plainNumber(double value);
// The text formatted for channel i.
QString formatChannel(int channel, double value);

// A value limited to [minimum, maximum]. `changed` is set when a bound replaced the value.
struct Bounded {
    double value = 0;
    bool changed = false;
};
Bounded boundToRange(double value, double minimum, double maximum);

// What a box says when a typed value was replaced by a bound of its slider:
// "limited to -10.0 … 0.0", both bounds in the channel's format.
QString clampNotice(int channel, double minimum, double maximum);
// What it says when a typed text was not a number and the slider's value came back.
QString notNumberNotice();

// The write command of a channel: mnemonic, "=" and the number of the text x factor as plain
// decimal text ("SOP=120" for "12.0" on channel 0).
QString setPointCommand(const QString& mnemonic, const QString& text, int factor);

// A write or an action was accepted: the answer contains "!".
bool writeAcknowledged(const QString& answer);

// The laser state of an answer to "STS?": on for "ON" in any case, off for any other printable
// text; none for "xxx", an answer with a character outside printable ASCII (garbled) or no
// answer. The control panel shows none as off; the monitor leaves it out.
std::optional<bool> laserState(const QString& answer);

// ---- Modes and tabs -------------------------------------------------------------------------

inline constexpr int kTabApc = 0, kTabAcc = 1, kTabAapc = 2, kTabAacc = 3, kTabThresholds = 4;

// Start mode value ("ASS=" argument) of a tab: APC 2, ACC 1, AAPC 4, AACC 3; none for the
// thresholds tab.
std::optional<int> modeOfTab(int tab);
// Tab of a running mode value (2, 1, 4, 3); none for 0 (emission off) or unknown values.
std::optional<int> tabOfMode(int mode);
// Tabs whose first reading row is the diode current (ACC, AACC).
bool isCurrentTab(int tab);

// Divisor of reading row i (0..5) on tab t. Rows 0 and 1 carry power and current in the order
// of the tab's mode and have no divisor on the thresholds tab (their text is left alone).
std::optional<int> readingDivisor(int row, int tab);

// ---- Power limit ----------------------------------------------------------------------------

// Maximum of the output-power slider once the limit is known: limit + 0.5, lowered to
// nominal + 0.5 when a nominal power is known and lower.
double outputPowerMaximum(double limit, std::optional<double> nominal);

} // namespace tav
