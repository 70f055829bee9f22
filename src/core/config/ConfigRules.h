#pragma once

#include "core/text/Numbers.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace tav {

// Decisions of the manual configuration window that need no widget: which catalogue key and
// scale each control uses, the RP2 ramp rule, the write commands and the control mode.

// ---- Controls and their catalogue keys ------------------------------------------------------

// CW(i): writable parameters (WRITE SYN keys), their caption (grplabel index).
inline constexpr int kParamCount = 15;
inline constexpr std::array<int, kParamCount> kParamWriteKeys{8,  9,  10, 11, 12, 13, 14, 15,
                                                              16, 17, 1,  2,  5,  3,  4};
inline constexpr std::array<int, kParamCount> kParamCaptions{1, 3,  4,  5,  6,  7,  8, 9,
                                                             10, 11, 27, 28, 29, 30, 31};
// TxtSNU, the serial number (WRITE SYN key).
inline constexpr int kSerialWriteKey = 24;
// LabelTxt(i): read-only values (READ SYN keys), captions 2 and 12..26.
inline constexpr int kReadOnlyCount = 16;
inline constexpr std::array<int, kReadOnlyCount> kReadOnlyKeys{2,  20, 26, 23, 27, 15, 21, 28,
                                                               24, 29, 16, 22, 30, 25, 31, 17};
// Label(i): operating values refreshed by the poll (READ SYN keys), captions 32..38.
inline constexpr int kOperatingCount = 7;
inline constexpr std::array<int, kOperatingCount> kOperatingKeys{8, 18, 9, 13, 12, 19, 10};

// Box indices the rules name.
inline constexpr int kBoxNominal = 0, kBoxCurrent1 = 2, kBoxLimit1 = 3, kBoxCurrent2 = 4,
                     kBoxLimit2 = 5, kBoxRamp = 8, kBoxOutput = 9;
// Range of the nominal-power slider (box 0), which bounds the output power.
inline constexpr double kNominalMin = 0, kNominalMax = 40;

// ---- Scales ---------------------------------------------------------------------------------

// Scale of a parameter read (and of the full write) by its mnemonic: 10 for CI1, CO1, CS1,
// CI2, CO2, CS2, SOP, ASO, IPT and OPM (any letter case), 1 otherwise.
int readScale(const QString& mnemonic);
// Scale of the single write of box i: 10 for boxes 7, 9, 10 and 11, 1 otherwise.
int writeScale(int box);
// Scale of LabelTxt(i): 10 for the calibration powers (1, 3, 6, 8, 11, 13), 1 otherwise.
int readOnlyScale(int label);
// Divisor of Label(i): 10 for the three powers (0..2), 1 otherwise.
int operatingScale(int label);

// ---- Ramp rule (RP2) ------------------------------------------------------------------------

bool isRamp(const QString& mnemonic);
// Speed the full write sends for a duration of 0.
inline constexpr int kRampSpeedForZero = 250;
// Duration shown for a board speed: Int(4095 / (20 x speed)). None for a speed of 0 or a
// result that is not a finite number (no duration corresponds to it).
std::optional<double> rampDuration(double speed);
// Speed written for a duration: Int(4095 / (20 x duration)). None for 0 or a result out of
// the integer range.
std::optional<qint64> rampSpeed(double duration);

// ---- Values and commands --------------------------------------------------------------------

// "MNE=" followed by the value as plain decimal text with "." as separator.
QString writeCommand(const QString& mnemonic, double value);
// "ASS=" followed by the mode.
QString modeCommand(int mode);
// Mode of an "ASS?" answer when an option shows it: a number that is whole and 1..4; none
// otherwise (0 is "unknown", larger values have no option, "3 on" is no number).
std::optional<int> modeOfAnswer(const QString& answer);

// The integer part as text, Int(x) as the window shows it ("23" for 23.7, "-10" for -9.5).
QString intText(double value);

} // namespace tav
