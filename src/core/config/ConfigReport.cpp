#include "core/config/ConfigReport.h"

#include "core/config/BoardReading.h"
#include "core/config/ConfigRules.h"
#include "core/control/PanelRules.h"

namespace tav {

QString reportMnemonic(const QString& tooltip) {
    const qsizetype paren = tooltip.indexOf(u'(');
    if (paren < 0) return tooltip.section(u' ', 0, 0);
    QString m = tooltip.left(paren);
    if (m.endsWith(u' ')) m.chop(1);
    return m;
}

QString reportRampValue(const QString& text) {
    const std::optional<double> v = numericAnswer(text);
    if (!v) return text;
    const std::optional<qint64> speed = rampSpeed(*v);
    return speed ? QString::number(*speed) : text;
}

ConfigReport buildConfigReport(const ReportSource& serial, const std::array<ReportSource, 15>& cw,
                               const std::array<ReportSource, 16>& labels) {
    ConfigReport r;
    r.serial = serial.text;
    auto row = [](const ReportSource& s) { return ReportRow{reportMnemonic(s.tooltip), s.text}; };
    auto boxes = [&](int first, int last) {
        QList<ReportRow> rows;
        for (int i = first; i <= last; ++i)
            rows << row(cw[static_cast<std::size_t>(i)]);
        return rows;
    };
    QList<ReportRow> calibration;
    for (std::size_t i = 1; i < labels.size(); ++i)
        calibration << row(labels[i]);

    QList<ReportRow> diode2 = boxes(4, 8);
    for (ReportRow& d : diode2)
        if (isRamp(d.mnemonic)) d.value = reportRampValue(d.value);

    r.sections = {
        {QStringLiteral("Parameters Settings"), {row(serial), row(cw[0]), row(labels[0])}},
        {QStringLiteral("Diode 1er étage"), boxes(1, 3)},
        {QStringLiteral("Diode 2ème étage"), diode2},
        {QStringLiteral("configuration des seuils"), boxes(10, 14)},
        {QStringLiteral("Calibration photodiodes"), calibration},
        {QStringLiteral("Autres paramètres"), boxes(9, 9)},
    };
    return r;
}

ConfigReport buildConfigReport(const BoardReading& reading) {
    auto source = [](const BoardValue& v) { return ReportSource{v.entry, v.text()}; };
    std::array<ReportSource, 15> boxes;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i] = source(reading.parameters[i]);
    std::array<ReportSource, 16> labels;
    labels[0] = source(reading.version);
    for (std::size_t i = 1; i < labels.size(); ++i)
        labels[i] = source(reading.readOnly[i - 1]);
    return buildConfigReport(source(reading.serial), boxes, labels);
}

} // namespace tav
