#include "ui/control/PanelStatus.h"

#include "core/control/PanelRules.h"
#include "ui/control/Lamp.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace tav {

using namespace panel;

PanelStatus::PanelStatus(PanelControls& c, QWidget* parent) : QWidget(parent), c_(c) {
    setObjectName(QStringLiteral("statusColumn"));
    const QFont bold = boldFont(this);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(10);

    // Date and time, each in its frame, wide enough for any date so the column never jumps.
    const QStringList frames{QStringLiteral("Date"), QStringLiteral("Heure")};
    for (int f : {4, 5}) {
        c.grpframe[f] = make<QGroupBox>(this, indexed("grpframe", f));
        c.grpframe[f]->setTitle(frames[f - 4]);
        QLabel* value = make<QLabel>(c.grpframe[f], f == 4 ? QStringLiteral("LabelDate")
                                                            : QStringLiteral("LabelTime"));
        value->setAlignment(Qt::AlignCenter);
        value->setFont(bold);
        value->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(
                                   f == 4 ? QStringLiteral("00/00/0000") : QStringLiteral("00:00:00")) +
                               4);
        auto* l = new QVBoxLayout(c.grpframe[f]);
        l->setContentsMargins(6, 2, 6, 4);
        l->addWidget(value);
        (f == 4 ? c.LabelDate : c.LabelTime) = value;
    }
    auto* dateTime = new QHBoxLayout;
    dateTime->addWidget(c.grpframe[4]);
    dateTime->addWidget(c.grpframe[5]);
    grid->addLayout(dateTime, 0, 0, 1, 2);

    const QStringList captions{QStringLiteral("Laser"), QStringLiteral("Serial Link"),
                               QStringLiteral("SNU")};
    for (int i : {20, 21, 22}) {
        c.grplabel[i] = make<QLabel>(this, indexed("grplabel", i));
        c.grplabel[i]->setText(captions[i - 20]);
        grid->addWidget(c.grplabel[i], i - 19, 0);
    }
    c.LabelStatus[0] = make<QLabel>(this, QStringLiteral("LabelStatus_0"));
    c.LabelStatus[0]->setFont(bold);
    c.LabelStatus[0]->setAlignment(Qt::AlignCenter);
    c.LabelStatus[0]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c.LabelStatus[0]->setMinimumWidth(64);
    colour(c.LabelStatus[0], Qt::white, Qt::black);
    grid->addWidget(c.LabelStatus[0], 1, 1);
    c.Voyant = new Lamp(this, 18);
    c.Voyant->setObjectName(QStringLiteral("Voyant"));
    grid->addWidget(c.Voyant, 2, 1, Qt::AlignLeft);
    c.LabelSNU = make<QLabel>(this, QStringLiteral("LabelSNU"));
    c.LabelSNU->setFont(bold);
    c.LabelSNU->setToolTip(QStringLiteral("1")); // catalogue key until the load
    grid->addWidget(c.LabelSNU, 3, 1);
    grid->setRowStretch(4, 1);
}

void PanelStatus::setStatus(const QString& answer) {
    if (laserState(answer).value_or(false)) {
        c_.LabelStatus[0]->setText(QStringLiteral("ON"));
        colour(c_.LabelStatus[0], PanelColours::kLightGreen, Qt::white);
    } else {
        c_.LabelStatus[0]->setText(QStringLiteral("OFF"));
        colour(c_.LabelStatus[0], Qt::white, Qt::black);
    }
}

void PanelStatus::clearStatus() {
    c_.LabelStatus[0]->clear();
    colour(c_.LabelStatus[0], Qt::white, Qt::black);
}

} // namespace tav
