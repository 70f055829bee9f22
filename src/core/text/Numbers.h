#pragma once

#include <QString>

#include <optional>

namespace tav {

// Numeric prefix of a text with "." as separator: "12.5abc" gives 12.5, " -3" gives -3,
// "1e5" gives 1 (no exponent), "" and "abc" give 0.
double leadingNumber(const QString& text);
// Nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
double roundHalfEven(double x);
// Leading number rounded halves-to-even and clamped to the 64-bit range.
qint64 leadingInteger(const QString& text);

// True when the whole text (blanks around it allowed) is one decimal number as the board
// writes it: optional sign, digits with an optional "." part ("12", " 0.5 ", "-3", ".5"), no
// exponent ("1e5" is not a number), and within the range of a double.
bool isNumericText(const QString& text);

// The board's answer for a value it cannot give: "xxx" in any letter case.
bool isNotAvailable(const QString& answer);
// The number of a numeric answer (a measured value, set point, threshold, limit, calibration
// point, A/D value, RP2, the mode): none when it is empty, "xxx" or anything but a number.
std::optional<double> numericAnswer(const QString& answer);
// Values the board gives as text, shown as received: SNU, VER, STS, ALA, WAR (any case).
bool isTextValue(const QString& mnemonic);

} // namespace tav
