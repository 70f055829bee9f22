#include "ui/control/SetPointTabs.h"

#include "core/control/PanelRules.h"
#include "core/text/Numbers.h"
#include "ui/support/Slider.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tav {

using namespace panel;

namespace {

// Slider ends and notices are never squeezed below this: the scale keeps a few numbers.
constexpr int kSliderMinimumWidth = 220;

} // namespace

SetPointTabs::SetPointTabs(PanelControls& c, QWidget* parent) : TabControl(parent), c_(c) {
    setObjectName(QStringLiteral("OngletPilotage"));
    c.OngletPilotage = this;
    const QStringList tabs{QStringLiteral("Puissance"), QStringLiteral("Courant"),
                           QStringLiteral("Thresholds"), QStringLiteral("Tab 3"),
                           QStringLiteral("Thresholds")};
    for (const QString& t : tabs)
        addPage(t);

    // Tabs 0 and 1: one set point in its frame.
    const QStringList setPoints{QStringLiteral("SOP"), QStringLiteral("SDC")};
    for (int t = 0; t < 2; ++t) {
        QWidget* page = widget(t);
        auto* v = new QVBoxLayout(page);
        c.grpframe[t] = make<QGroupBox>(page, indexed("grpframe", t));
        c.grpframe[t]->setTitle(QStringLiteral("Configuration Paramètres"));
        v->addWidget(c.grpframe[t]);
        v->addStretch(1);
        addChannel(new QGridLayout(c.grpframe[t]), 0, t, c.grpframe[t], setPoints[t]);
    }
    // Tabs 2 and 3: the external-mode notice.
    for (int t = 2; t < 4; ++t) {
        QLabel* notice = make<QLabel>(widget(t), t == 2 ? QStringLiteral("LabelAAPC")
                                                        : QStringLiteral("LabelAACC"));
        notice->setText(t == 2 ? QStringLiteral("APC EXTERNAL MODE")
                               : QStringLiteral("ACC EXTERNAL MODE"));
        notice->setFont(boldFont(this, 1.6));
        notice->setAlignment(Qt::AlignCenter);
        textColour(notice, QColor(0, 90, 140));
        (t == 2 ? c.LabelAAPC : c.LabelAACC) = notice;
        (new QVBoxLayout(widget(t)))->addWidget(notice);
    }
    // Thresholds tab: both threshold set points, the two temperature captions, then the
    // eye-safety box and "Send to Board".
    QWidget* page = widget(kTabThresholds);
    auto* v = new QVBoxLayout(page);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(4);
    addChannel(g, 0, 2, page, QStringLiteral("IPT"));
    addChannel(g, 2, 3, page, QStringLiteral("OPM"));
    for (int i : {4, 5}) {
        g->addWidget(caption(c, page, i, i == 4 ? QStringLiteral("TCL") : QStringLiteral("TCH")),
                     i, 0, 1, 3);
        textColour(c.grplabel[i], QColor(90, 90, 90));
    }
    v->addLayout(g);
    auto* actions = new QHBoxLayout;
    c.CheckActivateEyeSafety = make<QCheckBox>(page, QStringLiteral("CheckActivateEyeSafety"));
    c.CheckActivateEyeSafety->setText(QStringLiteral("Activate Eye safety"));
    c.BoutonSendToBoard = make<QPushButton>(page, QStringLiteral("BoutonSendToBoard"));
    c.BoutonSendToBoard->setText(QStringLiteral("Send to Board"));
    actions->addWidget(c.CheckActivateEyeSafety);
    actions->addStretch(1);
    actions->addWidget(c.BoutonSendToBoard);
    v->addSpacing(8);
    v->addLayout(actions);
    v->addStretch(1);

    // Built-in ranges until the first full read sets them.
    c.CWSlide[0]->setRange(0, 20);
    c.CWSlide[0]->setMajorDivisions(10);
    c.CWSlide[1]->setRange(0, 3);
    c.CWSlide[1]->setMajorDivisions(3);
    c.CWSlide[2]->setRange(-10, 0);
    c.CWSlide[2]->setMajorDivisions(10);
    c.CWSlide[3]->setRange(5, 20.5);
    c.CWSlide[3]->setMajorDivisions(5);

    connect(this, &QTabWidget::currentChanged, this, &SetPointTabs::fitCurrentPage);
    fitCurrentPage();
}

void SetPointTabs::addChannel(QGridLayout* g, int row, int channel, QWidget* parent,
                              const QString& text) {
    // Caption, box and slider on one row; the notice under the box and slider.
    g->addWidget(caption(c_, parent, channel, text), row, 0);
    QLineEdit* box = make<QLineEdit>(parent, indexed("Txt", channel));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("-000.00")) + 16);
    const std::array<int, 4> writeKeys{7, 6, 1, 25};
    box->setToolTip(QString::number(writeKeys[channel])); // catalogue key until the load
    box->installEventFilter(this);
    c_.Txt[channel] = box;
    auto* slider = new NumericSlider(channel, parent);
    slider->setObjectName(indexed("CWSlide", channel));
    slider->setStep(channelStep(channel));
    slider->setMinimumWidth(kSliderMinimumWidth);
    c_.CWSlide[channel] = slider;
    QLabel* notice = make<QLabel>(parent, indexed("TxtNotice", channel));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    notice->setFont(small);
    textColour(notice, QColor(150, 60, 0));
    notice_[channel] = notice;
    g->addWidget(box, row, 1);
    g->addWidget(slider, row, 2);
    g->addWidget(notice, row + 1, 1, 1, 2);
    g->setColumnStretch(2, 1);
}

void SetPointTabs::fitCurrentPage() {
    // A stacked page with an ignored size policy does not count in the strip's size.
    for (int t = 0; t < count(); ++t) {
        const auto policy = t == currentIndex() ? QSizePolicy::Preferred : QSizePolicy::Ignored;
        widget(t)->setSizePolicy(policy, policy);
    }
    updateGeometry();
}

void SetPointTabs::setBoxColour(int channel, BoxColour colour) {
    if (colour == BoxColour::Yellow && colour_[channel] != BoxColour::Yellow)
        untyped_[channel] = colour_[channel];
    colour_[channel] = colour;
    QLineEdit* box = c_.Txt[channel];
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour == BoxColour::Grey          ? PanelColours::buttonFace()
                               : colour == BoxColour::Yellow      ? PanelColours::kLightYellow
                               : colour == BoxColour::Unavailable ? PanelColours::kLightRed
                                                                  : QColor(Qt::white));
    box->setPalette(p);
}

void SetPointTabs::restoreUntypedColour(int channel) {
    if (colour_[channel] == BoxColour::Yellow) setBoxColour(channel, untyped_[channel]);
}

double SetPointTabs::boxValue(int channel) const {
    return leadingNumber(c_.Txt[channel]->text());
}

void SetPointTabs::setBoxText(int channel, double value) {
    c_.Txt[channel]->setText(formatChannel(channel, value));
}

void SetPointTabs::setNotice(int channel, const QString& text) {
    notice_[channel]->setText(text);
}

QString SetPointTabs::notice(int channel) const {
    return notice_[channel]->text();
}

void SetPointTabs::showLimitRow(bool shown) {
    for (QWidget* w : {static_cast<QWidget*>(c_.grplabel[3]), static_cast<QWidget*>(c_.Txt[3]),
                       static_cast<QWidget*>(c_.CWSlide[3]), static_cast<QWidget*>(notice_[3])})
        w->setVisible(shown);
}

bool SetPointTabs::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return TabControl::eventFilter(watched, event);
    for (int i = 0; i < kChannelCount; ++i) {
        if (watched != c_.Txt[i]) continue;
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        // Only keys that type (characters, Enter, Backspace, Delete) mark a threshold as typed
        // but not sent; moving the cursor or the focus, or a lone modifier, does not.
        const bool typing = key != Qt::Key_Tab && key != Qt::Key_Backtab &&
                            (!keyEvent->text().isEmpty() || key == Qt::Key_Backspace ||
                             key == Qt::Key_Delete);
        if (i >= 2 && typing) setBoxColour(i, BoxColour::Yellow);
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit boxEntered(i);
            return true;
        }
        break;
    }
    return TabControl::eventFilter(watched, event);
}

} // namespace tav
