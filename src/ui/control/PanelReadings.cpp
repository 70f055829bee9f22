#include "ui/control/PanelReadings.h"

#include "core/control/PanelRules.h"
#include "ui/control/Lamp.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace tav {

using namespace panel;

namespace {

QGroupBox* frame(PanelControls& c, QWidget* parent, int i, const QString& title) {
    c.grpframe[i] = make<QGroupBox>(parent, indexed("grpframe", i));
    c.grpframe[i]->setTitle(title);
    return c.grpframe[i];
}

// Seven bit rows (lamp, caption on teal) in a grid.
void bitRows(QGridLayout* g, std::array<Lamp*, 7>& lamps, const std::array<QLabel*, 7>& captions) {
    g->setVerticalSpacing(3);
    g->setColumnStretch(1, 1);
    for (int i = 0; i < kLampCount; ++i) {
        captions[i]->setMargin(3);
        g->addWidget(lamps[i], i, 0);
        g->addWidget(captions[i], i, 1);
    }
}

// A "Legend" frame with its two lines.
QGroupBox* legend(PanelControls& c, QWidget* parent, int f, std::pair<int, QString> a,
                  std::pair<int, QString> b) {
    QGroupBox* box = frame(c, parent, f, QStringLiteral("Legend"));
    auto* l = new QVBoxLayout(box);
    l->setContentsMargins(6, 2, 6, 4);
    l->setSpacing(1);
    l->addWidget(caption(c, box, a.first, a.second));
    l->addWidget(caption(c, box, b.first, b.second));
    return box;
}

} // namespace

PanelReadings::PanelReadings(PanelControls& c, QWidget* parent) : QWidget(parent), c_(c) {
    setObjectName(QStringLiteral("measureArea"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    // Readings: caption and value, the power-limit row last.
    QGroupBox* readings = frame(c, this, 2, QStringLiteral("Variables de fonctionnement"));
    auto* g = new QGridLayout(readings);
    g->setVerticalSpacing(6);
    g->setColumnStretch(0, 1);
    QFont readout = boldFont(this, 1.15);
    readout.setFamily(QStringLiteral("Monospace"));
    readout.setStyleHint(QFont::TypeWriter);
    const std::array<int, 6> captions{6, 7, 8, 9, 10, 23};
    const QStringList texts{"OPW", "LDC", "LDT", "IPW", "CAT", "OPM"};
    const std::array<int, 6> readKeys{9, 10, 12, 8, 13, 32};
    for (int i = 0; i < 6; ++i) {
        QLabel* value = make<QLabel>(readings, indexed("ReadLabel", i));
        value->setFont(readout);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        value->setMinimumWidth(96);
        value->setMargin(2);
        value->setToolTip(QString::number(readKeys[i])); // catalogue key until the load
        colour(value, Qt::white, Qt::black);
        c.ReadLabel[i] = value;
        g->addWidget(caption(c, readings, captions[i], texts[i]), i, 0);
        g->addWidget(value, i, 1);
    }
    g->setRowStretch(6, 1);
    // The power-limit row keeps its room when hidden: eye safety never resizes the window.
    for (QWidget* limitRow : {static_cast<QWidget*>(c.grplabel[23]), static_cast<QWidget*>(c.ReadLabel[5])}) {
        QSizePolicy policy = limitRow->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        limitRow->setSizePolicy(policy);
    }

    // Alarms on teal captions, then their legend.
    QGroupBox* alarms = frame(c, this, 3, QStringLiteral("Alarmes"));
    auto* a = new QGridLayout(alarms);
    std::array<QLabel*, 7> alarmCaptions{};
    for (int i = 0; i < kLampCount; ++i) {
        c.VoyantAlarme[i] = new Lamp(alarms);
        c.VoyantAlarme[i]->setObjectName(indexed("VoyantAlarme", i));
        alarmCaptions[i] = caption(c, alarms, 11 + i, QStringLiteral("BIT %1").arg(i + 1));
    }
    bitRows(a, c.VoyantAlarme, alarmCaptions);
    a->addWidget(legend(c, alarms, 6, {18, QStringLiteral("White => No Alarm")},
                        {19, QStringLiteral("Red => Alarm detected")}),
                 kLampCount, 0, 1, 2);
    a->setRowStretch(kLampCount + 1, 1);

    // Warnings, the reset button, their legend.
    QGroupBox* warnings = frame(c, this, 7, QStringLiteral("Warnings"));
    auto* w = new QGridLayout(warnings);
    for (int i = 0; i < kLampCount; ++i) {
        c.VoyantWarning[i] = new Lamp(warnings);
        c.VoyantWarning[i]->setObjectName(indexed("VoyantWarning", i));
        c.grplabelWarning[i] = make<QLabel>(warnings, indexed("grplabelWarning", i));
        c.grplabelWarning[i]->setText(QStringLiteral("BIT %1").arg(i));
    }
    bitRows(w, c.VoyantWarning, c.grplabelWarning);
    c.BoutonWAR = make<QPushButton>(warnings, QStringLiteral("BoutonWAR"));
    c.BoutonWAR->setText(QStringLiteral("Reset Warnings"));
    // Wide enough for the failure caption it shows for two seconds.
    c.BoutonWAR->setMinimumWidth(
        c.BoutonWAR->fontMetrics().horizontalAdvance(QStringLiteral("Reset Warnings Failed")) + 24);
    w->addWidget(c.BoutonWAR, kLampCount, 0, 1, 2, Qt::AlignHCenter);
    w->addWidget(legend(c, warnings, 8, {24, QStringLiteral("Orange => Warning detected")},
                        {25, QStringLiteral("White => No Warning")}),
                 kLampCount + 1, 0, 1, 2);
    w->setRowStretch(kLampCount + 2, 1);

    row->addWidget(readings, 5);
    row->addWidget(alarms, 6);
    row->addWidget(warnings, 6);
    for (int i = 0; i < kLampCount; ++i) {
        setAlarmLamp(i, false);
        setWarningLamp(i, false);
    }
}

void PanelReadings::setAlarmLamp(int lamp, bool set) {
    c_.VoyantAlarme[lamp]->setColor(set ? PanelColours::kRed : PanelColours::kPeach);
    colour(c_.grplabel[11 + lamp], PanelColours::kTeal,
           set ? PanelColours::kRed : QColor(Qt::white));
}

void PanelReadings::setWarningLamp(int lamp, bool set) {
    c_.VoyantWarning[lamp]->setColor(set ? PanelColours::kOrange : PanelColours::kPeach);
    colour(c_.grplabelWarning[lamp], PanelColours::kTeal,
           set ? PanelColours::kOrange : QColor(Qt::white));
}

void PanelReadings::resetAlarmLamps() {
    for (int i = 0; i < kLampCount; ++i)
        setAlarmLamp(i, false);
}

void PanelReadings::setReading(int row, const QString& text, bool unavailable) {
    QLabel* l = c_.ReadLabel[row];
    l->setProperty("highlighted", unavailable);
    l->setFrameStyle(unavailable ? (QFrame::Box | QFrame::Plain)
                                 : (QFrame::Panel | QFrame::Sunken));
    if (unavailable)
        colour(l, PanelColours::kLightRed, Qt::white);
    else
        colour(l, Qt::white, Qt::black);
    if (!text.isNull()) l->setText(text);
}

void PanelReadings::showLimitRow(bool shown) {
    c_.grplabel[23]->setVisible(shown);
    c_.ReadLabel[5]->setVisible(shown);
}

} // namespace tav
