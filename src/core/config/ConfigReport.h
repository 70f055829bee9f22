#pragma once

#include <QList>
#include <QString>

#include <array>

namespace tav {

struct BoardReading;

// The configuration report as plain values: six titled sections of "Commande" / "Valeur" rows,
// and the serial number of the page header. Built from what the configuration window holds,
// so that any front end can print the same report.
struct ReportRow {
    QString mnemonic;
    QString value;
    bool operator==(const ReportRow&) const = default;
};
struct ReportSection {
    QString title;
    QList<ReportRow> rows;
};
struct ConfigReport {
    QString serial;
    QList<ReportSection> sections;
};

// One source of a row: the control's tooltip (catalogue text) and its text.
struct ReportSource {
    QString tooltip;
    QString text;
};

// "Commande" of a row: the tooltip up to, not including, the blank before its first "("
// ("TC1 (Ecrit ...)" gives TC1); a tooltip without "(" gives its text before the first blank.
QString reportMnemonic(const QString& tooltip);
// "Valeur" of the RP2 row: Int(4095 / (20 x v)) of the box's duration v; a box holding 0 or
// no number prints its text unchanged.
QString reportRampValue(const QString& text);

// The six sections in print order: "Parameters Settings" (serial number, CW 0, LabelTxt 0),
// "Diode 1er étage" (CW 1..3), "Diode 2ème étage" (CW 4..8), "configuration des seuils"
// (CW 10..14), "Calibration photodiodes" (LabelTxt 1..15), "Autres paramètres" (CW 9).
ConfigReport buildConfigReport(const ReportSource& serial, const std::array<ReportSource, 15>& cw,
                               const std::array<ReportSource, 16>& labels);
// The same report from a reading of the board (lireCarte), as the window shows it after
// reading: each value under its catalogue text, the version first among the read-only values.
ConfigReport buildConfigReport(const BoardReading& reading);

} // namespace tav
