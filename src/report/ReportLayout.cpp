#include "report/ReportLayout.h"

#include "core/io/FileReplace.h"
#include "core/io/WriteError.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPdfWriter>
#include <QTextLayout>

namespace tav {

namespace {

constexpr double kLogoWidth = 9000, kLogoHeight = 1600, kLogoTop = 700;
constexpr double kTitleWidth = 2 * kTwipsPerInch;
constexpr double kColumnWidth = kTwipsPerInch;
constexpr double kCellPadding = 50;
constexpr double kTablePoints = 9, kHeaderPoints = 16, kFooterPoints = 10;

// A font sized in twips: painted through a twips-to-device scale it has its point size.
QFont reportFont(double points, bool bold) {
    QFont f(QStringLiteral("Sans Serif"));
    // No ligatures, so that the PDF's text reads back as written ("fi", not one glyph).
    f.setStyleHint(QFont::SansSerif, QFont::PreferNoShaping);
    f.setPixelSize(qRound(points * 20));
    f.setBold(bold);
    return f;
}

double lineHeight(double points, bool bold) {
    return QFontMetricsF(reportFont(points, bold)).lineSpacing();
}

QColor buttonFace() {
    return qGuiApp ? QGuiApplication::palette().color(QPalette::Button) : QColor(240, 240, 240);
}

// The text broken into lines that fit `width`: at blanks where it can, anywhere otherwise.
QString wrapped(const QString& text, const QFont& font, double width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width * 0.97); // room for the target's own hinting
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines.join(u'\n');
}

class Builder {
public:
    Builder(const ConfigReport& r, const ReportPageSetup& s)
        : report_(r), setup_(s), lineHeight_(lineHeight(kTablePoints, true)),
          rowHeight_(lineHeight_ + 2 * kCellPadding), headerHeight_(lineHeight(kHeaderPoints, true)) {}

    QList<ReportPage> build() {
        newPage();
        y_ += 5 * rowHeight_;
        for (qsizetype i = 0; i < report_.sections.size(); ++i)
            section(report_.sections[i], i == 0 ? 0 : 2 * rowHeight_);
        return pages_;
    }

private:
    struct Row {
        QString a, b;
        double height;
    };

    double bodyTop() const { return setup_.top + headerHeight_ + kCellPadding; }
    double bodyBottom() const { return setup_.page.height() - setup_.bottom; }
    double width() const { return setup_.page.width() - setup_.left - setup_.right; }

    void newPage() {
        ReportPage page;
        const int number = int(pages_.size()) + 1;
        ReportItem logo;
        logo.kind = ReportItem::Logo;
        logo.rect = QRectF(setup_.left, kLogoTop, kLogoWidth, kLogoHeight);
        page.items << logo;
        // The serial-number line starts at the same height on every page.
        ReportItem serial;
        serial.rect = QRectF(setup_.left, setup_.top, width(), headerHeight_);
        serial.text = QStringLiteral("N° Série : ") + report_.serial;
        serial.points = kHeaderPoints;
        serial.bold = true;
        serial.align = Qt::AlignHCenter | Qt::AlignVCenter;
        page.items << serial;
        const double footerHeight = lineHeight(kFooterPoints, true);
        const QRectF footer(setup_.left, bodyBottom() + footerHeight, width(), footerHeight);
        ReportItem left;
        left.rect = footer;
        left.text = QStringLiteral("Configuration carte ") + QStringLiteral(" Le ") +
                    setup_.dateText;
        left.points = kFooterPoints;
        left.bold = true;
        ReportItem right = left;
        right.text = QStringLiteral("Page %1").arg(number);
        right.align = Qt::AlignRight | Qt::AlignVCenter;
        page.items << left << right;
        pages_ << page;
        y_ = bodyTop();
    }

    bool fits(double height) const { return y_ + height <= bodyBottom(); }

    // A row whose cells hold their texts wrapped to the column.
    Row measured(const QString& a, const QString& b, bool heading) const {
        const QFont font = reportFont(kTablePoints, heading);
        const double inside = kColumnWidth - 2 * kCellPadding;
        Row r{wrapped(a, font, inside), wrapped(b, font, inside), 0};
        const qsizetype lines = qMax(r.a.count(u'\n'), r.b.count(u'\n')) + 1;
        r.height = double(lines) * lineHeight_ + 2 * kCellPadding;
        return r;
    }

    void cell(double x, double w, double h, const QString& text, bool heading) {
        ReportItem c;
        c.kind = ReportItem::Cell;
        c.rect = QRectF(x, y_, w, h);
        c.text = text;
        c.points = kTablePoints;
        c.bold = heading;
        c.fill = heading;
        c.border = true;
        pages_.last().items << c;
    }

    void row(const Row& r, bool heading) {
        cell(setup_.left, kColumnWidth, r.height, r.a, heading);
        cell(setup_.left + kColumnWidth, kColumnWidth, r.height, r.b, heading);
        y_ += r.height;
    }

    // A table stays whole on one page when a page can hold it; one that must break keeps its
    // title, heading and first row together and repeats the heading on every page it runs on.
    void section(const ReportSection& s, double gapBefore) {
        const Row heading = measured(QStringLiteral("Commande"), QStringLiteral("Valeur"), true);
        QList<Row> rows;
        double total = rowHeight_ + heading.height;
        for (const ReportRow& r : s.rows) {
            rows << measured(r.mnemonic, r.value, false);
            total += rows.last().height;
        }
        const double start = rowHeight_ + heading.height + (rows.isEmpty() ? 0 : rows[0].height);
        if (fits(gapBefore + total))
            y_ += gapBefore;
        else if (total <= bodyBottom() - bodyTop() || !fits(gapBefore + start))
            newPage();
        else
            y_ += gapBefore;
        cell(setup_.left, kTitleWidth, rowHeight_, s.title, true);
        y_ += rowHeight_;
        row(heading, true);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (!fits(rows[i].height) && i > 0) {
                newPage();
                row(heading, true);
            }
            row(rows[i], false);
        }
    }

    const ConfigReport& report_;
    const ReportPageSetup& setup_;
    const double lineHeight_;
    const double rowHeight_;
    const double headerHeight_;
    QList<ReportPage> pages_;
    double y_ = 0;
};

// The program's logo: a blue band with a coiled fibre and the product name.
void paintLogo(QPainter& p, const QRectF& r) {
    p.save();
    QLinearGradient band(r.topLeft(), r.topRight());
    band.setColorAt(0, QColor(18, 62, 120));
    band.setColorAt(1, QColor(60, 130, 200));
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRoundedRect(r, r.height() * 0.18, r.height() * 0.18);
    // Fibre coil: three loops drawn as ellipses, and the amplified beam leaving it.
    const double h = r.height();
    const QPointF centre(r.left() + h * 0.75, r.center().y());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 190, 60), h * 0.05));
    for (int k = 0; k < 3; ++k)
        p.drawEllipse(centre + QPointF(k * h * 0.12, 0), h * 0.42, h * 0.3);
    p.setPen(QPen(QColor(255, 90, 60), h * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(h * 0.65, 0), QPointF(r.left() + h * 1.9, centre.y()));
    QFont name = reportFont(30, true);
    p.setFont(name);
    p.setPen(Qt::white);
    const QRectF textArea(r.left() + h * 2.1, r.top(), r.width() - h * 2.3, h * 0.68);
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("TAV OEM"));
    p.setFont(reportFont(11, false));
    p.drawText(QRectF(textArea.left(), r.top() + h * 0.68, textArea.width(), h * 0.3),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Erbium-doped fibre amplifier"));
    p.restore();
}

} // namespace

QList<ReportPage> layoutReport(const ConfigReport& report, const ReportPageSetup& setup) {
    return Builder(report, setup).build();
}

void paintReportPage(QPainter& p, const ReportPage& page) {
    for (const ReportItem& item : page.items) {
        if (item.kind == ReportItem::Logo) {
            paintLogo(p, item.rect);
            continue;
        }
        if (item.fill) p.fillRect(item.rect, buttonFace());
        if (item.border) {
            p.setPen(QPen(Qt::black, 10));
            p.setBrush(Qt::NoBrush);
            p.drawRect(item.rect);
        }
        const QFont font = reportFont(item.points, item.bold);
        p.setFont(font);
        p.setPen(Qt::black);
        const double pad = item.kind == ReportItem::Cell ? kCellPadding : 0;
        const QRectF area = item.rect.adjusted(pad, 0, -pad, 0);
        // Cell texts come broken into lines that fit (see wrapped()).
        p.drawText(area, int(item.align), item.text);
    }
}

ReportPageSetup setupFor(const QPagedPaintDevice& device, const QString& dateText) {
    ReportPageSetup s;
    s.page = device.pageLayout().fullRectPoints().size() * (kTwipsPerInch / 72.0);
    s.dateText = dateText;
    return s;
}

bool renderReport(const ConfigReport& report, QPagedPaintDevice& device, const QString& dateText) {
    const ReportPageSetup setup = setupFor(device, dateText);
    const QList<ReportPage> pages = layoutReport(report, setup);
    QPainter p;
    if (!p.begin(&device)) return false;
    p.setRenderHint(QPainter::Antialiasing);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        p.save();
        p.scale(device.logicalDpiX() / kTwipsPerInch, device.logicalDpiY() / kTwipsPerInch);
        paintReportPage(p, pages[i]);
        p.restore();
    }
    return p.end();
}

bool exportReportPdf(const ConfigReport& report, const QString& fileName, const QString& dateText,
                     QString* error) {
    // Rendered in memory, then written whole: a full disk or an unwritable folder leaves no
    // short file, and an existing file at that name keeps its content.
    QByteArray pdf;
    bool ok = false;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(QStringLiteral("Configuration carte ") + report.serial);
        writer.setCreator(QStringLiteral("TAV OEM"));
        ok = renderReport(report, writer, dateText);
    }
    QString reason = QStringLiteral("the report could not be rendered");
    if (ok && !pdf.isEmpty()) {
        const ReplaceResult written = replaceFile(fileName, pdf);
        if (written.ok)
            return true;
        reason = written.error;
    }
    if (error)
        *error = QStringLiteral("The PDF file \"%1\" could not be written: %2. %3")
                     .arg(QDir::toNativeSeparators(fileName), reason,
                          writeAdvice(reason, QFileInfo(fileName).absolutePath()));
    return false;
}

QImage reportPageImage(const ReportPage& page, const ReportPageSetup& setup, double dpi) {
    const double scale = dpi / kTwipsPerInch;
    QImage image((setup.page * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    paintReportPage(p, page);
    return image;
}

} // namespace tav
