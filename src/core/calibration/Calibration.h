#pragma once

#include "core/Prompts.h"

#include <QString>

#include <array>
#include <optional>

namespace tav {

// Widget-free rules of the photodiode calibration windows, of the reference-power dialog and of
// the threshold-bounds window.

// ---- Photodiode calibration -----------------------------------------------------------------

// Reference powers preset by a calibration menu entry: values that mean "nothing entered".
inline constexpr double kReferenceMinUnset = 999;
inline constexpr double kReferenceMaxUnset = -999;
// Both references were entered in the bounds dialog (the calibration window may open).
bool referencesEntered(double referenceMin, double referenceMax);

// What differs between the three calibration windows (input, output Phs1, output Phs2).
// Point 0 is the low point, point 1 the high point.
struct CalibrationDef {
    const char* window;     // class name and objectName ("FrmEtalonnagePIN")
    const char* menuEntry;  // main-window entry ("Puissancedentree")
    int type;               // TypeEtalonnage set by the entry (100, 200, 300)
    int code;               // FenetreActive while open (1, 2, 3)
    const char* section;    // text section of "langue.ini" without the language suffix
    std::array<const char*, 2> boxes;      // TxtCI1, TxtCI2
    std::array<const char*, 2> buttons;    // BoutonCI1, BoutonCI2
    std::array<const char*, 2> buttonKeys; // boutonCI1, boutonCI2
    std::array<int, 2> writeKeys;          // WRITE SYN keys of the two boxes
    int adKey;                             // READ SYN key of ReadLabel(2)
    // Built-in captions: window, frames 0 and 1, grplabel 0 to 4.
    const char* title;
    std::array<const char*, 2> frames;
    std::array<const char*, 5> labels;
    const char* adminRefusal;     // the password was refused
    // Serial port cannot be opened: a fixed text, or (when null) key msg_1_0 of the section.
    const char* portFailure;
    const char* portFailureTitle; // null: the window caption
    PromptIcon portFailureIcon;
    const char* closingFailure;   // "ASS=0" refused at closing
};

inline constexpr int kCalibrationCount = 3;
const std::array<CalibrationDef, kCalibrationCount>& calibrationDefs();
// The definition of a window code (1, 2, 3) or a TypeEtalonnage (100, 200, 300); null if none.
const CalibrationDef* calibrationByCode(int code);
const CalibrationDef* calibrationByType(int type);

// Port-failure text of the input window when its msg_1_0 key is empty.
QString portFailureFallback();

// Board value of a typed power in tenths of dBm: the value of the text times 10, rounded to the
// nearest integer with halves to even (12.25 gives 122, -3.15 gives -32; an empty text gives 0).
// None when the result does not fit a 16-bit signed integer.
std::optional<qint16> tenthsOf(const QString& text);
// Message refusing a power outside the range tenthsOf accepts.
QString powerOutOfRangeText(const QString& typed);

// Message after a calibration write that was not acknowledged: "La Commande CI1 a échoué."
// with " (Mode ADMINISTRATEUR obligatoire)" when the board answered "#".
QString calibrationWriteFailure(const QString& mnemonic, const QString& answer);

// A read-back calibration point (tenths of dBm) as shown in its box: "123" gives "12.3", "xxx"
// gives "XXX"; empty (the box keeps its text) for no answer or anything but a number.
QString tenthsText(const QString& answer);
// An A/D value as its label shows it: the answer as received when it is a number or "xxx";
// empty (the label keeps its text) otherwise.
QString adText(const QString& answer);

// Caption and frame caption of the reference-power dialog for a TypeEtalonnage.
struct ReferenceCaptions {
    QString title;
    QString frame;
};
ReferenceCaptions referenceCaptions(int type);

// ---- Threshold bounds -----------------------------------------------------------------------

// Section of "General.ini" holding the bounds, and of "langue.ini" (plus the language) holding
// the captions of the bounds window.
inline const QString kThresholdsSection = QStringLiteral("FrmAlarmsThresholds");
inline constexpr int kThresholdCount = 10;
// Keys in window order: TxtIPT_0, TxtIPT_1, TxtOPT_0, ... TxtTCH_1 (the box names too).
const std::array<QString, kThresholdCount>& thresholdKeys();
// Built-in captions: "IPT Min", "IPT Max", ...
QString thresholdBuiltInCaption(int i);
// Index of the upper laser-current bound, filled from "IM2?" when empty.
inline constexpr int kThresholdLcmMax = 5;

// The value of an "IM2?" answer written as plain text ("3000" for "+3000"); empty for no
// answer or anything but a number.
QString currentLimitText(const QString& answer);

} // namespace tav
