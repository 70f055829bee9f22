#pragma once

#include "core/config/ConfigReport.h"

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QImage;
class QPainter;
class QPagedPaintDevice;

namespace tav {

// The configuration report laid out as pages of positioned items, then painted with QPainter
// onto any target (print preview, printer, PDF file, preview images). Lengths are in twips
// (1/1440 inch), so every target gets the same layout.

inline constexpr double kTwipsPerInch = 1440;

struct ReportPageSetup {
    QSizeF page{11906, 16838}; // A4
    double left = 1440;
    double right = 1440;
    double top = 2400; // the serial-number line, below the logo
    double bottom = 1440;
    QString dateText;  // date of the footer
};

struct ReportItem {
    enum Kind { Text, Cell, Logo };
    Kind kind = Text;
    QRectF rect;
    QString text;
    double points = 9;
    bool bold = false;
    bool fill = false;   // button-face background
    bool border = false; // all four borders
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
};

struct ReportPage {
    QList<ReportItem> items;
};

// Pages of the report: on every page the logo (9000 x 1600 from the left margin, 700 from the
// top), the centred bold 16 pt "N° Série : " line at the top margin and the 10 pt bold footer;
// on the first page five blank rows, then the six sections, each a one-cell title table
// (2 in) and a two-column table (1 in each) headed "Commande", "Valeur", with two blank rows
// between sections. Long texts wrap in their cells. A table goes whole to the next page when
// it does not fit on this one but fits on a page; a longer one repeats its heading row on each
// page it continues on, and a title or heading row never ends a page.
QList<ReportPage> layoutReport(const ConfigReport& report, const ReportPageSetup& setup);

// Paints one page; the painter's units are twips.
void paintReportPage(QPainter& painter, const ReportPage& page);

// Page setup matching the device's paper (its margins must be 0, or the printer full-page).
ReportPageSetup setupFor(const QPagedPaintDevice& device, const QString& dateText);
// Lays out and paints the whole report onto a paged device, one device page per report page.
// False when the device cannot be painted on.
bool renderReport(const ConfigReport& report, QPagedPaintDevice& device, const QString& dateText);
// Writes the report into a PDF file (A4). No printer is involved. False with a message when
// the file cannot be written.
bool exportReportPdf(const ConfigReport& report, const QString& fileName, const QString& dateText,
                     QString* error = nullptr);
// A page as an image at the given resolution (preview).
QImage reportPageImage(const ReportPage& page, const ReportPageSetup& setup, double dpi);

} // namespace tav
