#include "ui/control/FrmMenuPilotage.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/control/MeasurementLog.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/poll/Poll.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"
#include "core/translation/Texts.h"
#include "ui/control/Lamp.h"
#include "ui/control/PanelIcons.h"
#include "ui/support/Grid.h"
#include "ui/support/Hourglass.h"
#include "ui/support/Slider.h"
#include "ui/support/Tabs.h"
#include "ui/support/TextLoader.h"
#include "ui/support/Tooltips.h"
#include "ui/support/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

namespace tav {

const QColor FrmMenuPilotage::kLightGreen(128, 255, 128);
const QColor FrmMenuPilotage::kLightRed(255, 128, 128);
const QColor FrmMenuPilotage::kPeach(255, 224, 192);
const QColor FrmMenuPilotage::kRed(255, 0, 0);
const QColor FrmMenuPilotage::kOrange(255, 128, 0);
const QColor FrmMenuPilotage::kTeal(0, 192, 192);
const QColor FrmMenuPilotage::kLightYellow(255, 255, 128);

const QString FrmMenuPilotage::kLinkFailedText = QStringLiteral(
    "Serial Link failed (Check port number, cable,...). Restart Control Panel Window.");

QColor FrmMenuPilotage::buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}

// One running handler of the panel (see HandlerDepth).
struct BusyScope : HandlerDepth::Scope {
    explicit BusyScope(FrmMenuPilotage& w) : HandlerDepth::Scope(w.handlers_) {}
};

namespace {

const QString kWindow = QStringLiteral("FrmMenuPilotage");
const QString kThresholds = QStringLiteral("FrmAlarmsThresholds");
const QString kParDefaut = QStringLiteral("PAR_DEFAUT");
const QString kEyeSafetyKey = QStringLiteral("CheckActivateEyeSafety");
// The reading-row captions always come from the English section, whatever the language.
const QString kEnglishSection = QStringLiteral("FrmMenuPilotageen");

void colour(QWidget* w, const QColor& background, const QColor& text) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, background);
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void textColour(QWidget* w, const QColor& text) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, text);
    w->setPalette(p);
}

template <class T> T* make(QWidget* parent, const QString& name) {
    auto* w = new T(parent);
    w->setObjectName(name);
    return w;
}

QString indexed(const char* name, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i);
}

bool acknowledged(const QString& answer) {
    return answer.contains(u'!');
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

FrmMenuPilotage::FrmMenuPilotage(AppState& s, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s) {
    setObjectName(kWindow);
    buildControls();
    applyBuiltInTexts();
    buildLayout();
    Form_Load();

    // Operator events, connected after the load so that building the tabs runs no handler.
    connect(OngletPilotage, &TabControl::tabChanged, this,
            [this](int tab, int) { OngletPilotage_Click(tab); });
    for (int i = 0; i < 4; ++i) {
        connect(CWSlide[i], &NumericSlider::valueChanged, this,
                &FrmMenuPilotage::CWSlide_PointerValueChanged);
        Txt[i]->installEventFilter(this);
    }
    connect(BoutonStart, &QToolButton::clicked, this, &FrmMenuPilotage::BoutonStart_Click);
    connect(BoutonStop, &QToolButton::clicked, this, &FrmMenuPilotage::BoutonStop_Click);
    connect(BoutonExit, &QToolButton::clicked, this, &FrmMenuPilotage::BoutonExit_Click);
    connect(BoutonWAR, &QPushButton::clicked, this, &FrmMenuPilotage::BoutonWAR_Click);
    connect(BoutonSendToBoard, &QPushButton::clicked, this,
            &FrmMenuPilotage::BoutonSendToBoard_Click);
    connect(CheckActivateEyeSafety, &QCheckBox::clicked, this,
            &FrmMenuPilotage::CheckActivateEyeSafety_Click);
    connect(CheckEnregistrement, &QCheckBox::clicked, this,
            &FrmMenuPilotage::CheckEnregistrement_Click);
}

FrmMenuPilotage::~FrmMenuPilotage() {
    // Destroyed without being closed (the main window went away): the poll must not call back.
    Form_Unload();
}

void FrmMenuPilotage::buildControls() {
    OngletPilotage = make<TabControl>(this, QStringLiteral("OngletPilotage"));
    for (int i = 0; i < 5; ++i)
        OngletPilotage->addPage(QString());

    for (std::size_t i = 0; i < grpframe.size(); ++i)
        grpframe[i] = make<QGroupBox>(this, indexed("grpframe", int(i)));
    for (std::size_t i = 0; i < grplabel.size(); ++i)
        grplabel[i] = make<QLabel>(this, indexed("grplabel", int(i)));
    for (std::size_t i = 0; i < Txt.size(); ++i) {
        Txt[i] = make<QLineEdit>(this, indexed("Txt", int(i)));
        Txt[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Txt[i]->setFixedWidth(72);
        CWSlide[i] = new NumericSlider(int(i), this);
        CWSlide[i]->setObjectName(indexed("CWSlide", int(i)));
        CWSlide[i]->setStep(channelStep(int(i)));
    }
    // Built-in ranges until the first full read sets them.
    CWSlide[0]->setRange(0, 20);
    CWSlide[0]->setMajorDivisions(10);
    CWSlide[1]->setRange(0, 3);
    CWSlide[1]->setMajorDivisions(3);
    CWSlide[2]->setRange(-10, 0);
    CWSlide[2]->setMajorDivisions(10);
    CWSlide[3]->setRange(5, 20.5);
    CWSlide[3]->setMajorDivisions(5);

    QFont readout = font();
    readout.setFamily(QStringLiteral("Monospace"));
    readout.setStyleHint(QFont::TypeWriter);
    readout.setPointSizeF(readout.pointSizeF() * 1.15);
    readout.setBold(true);
    for (std::size_t i = 0; i < ReadLabel.size(); ++i) {
        ReadLabel[i] = make<QLabel>(this, indexed("ReadLabel", int(i)));
        ReadLabel[i]->setFont(readout);
        ReadLabel[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ReadLabel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        ReadLabel[i]->setMinimumWidth(96);
        ReadLabel[i]->setMargin(2);
        colour(ReadLabel[i], Qt::white, Qt::black);
    }
    for (std::size_t i = 0; i < VoyantAlarme.size(); ++i) {
        VoyantAlarme[i] = new Lamp(this);
        VoyantAlarme[i]->setObjectName(indexed("VoyantAlarme", int(i)));
        VoyantWarning[i] = new Lamp(this);
        VoyantWarning[i]->setObjectName(indexed("VoyantWarning", int(i)));
        grplabelWarning[i] = make<QLabel>(this, indexed("grplabelWarning", int(i)));
    }
    LabelStatus[0] = make<QLabel>(this, QStringLiteral("LabelStatus_0"));
    QFont bold = font();
    bold.setBold(true);
    LabelStatus[0]->setFont(bold);
    LabelStatus[0]->setAlignment(Qt::AlignCenter);
    LabelStatus[0]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    LabelStatus[0]->setMinimumWidth(64);
    colour(LabelStatus[0], Qt::white, Qt::black);

    LabelAAPC = make<QLabel>(this, QStringLiteral("LabelAAPC"));
    LabelAACC = make<QLabel>(this, QStringLiteral("LabelAACC"));
    QFont notice = font();
    notice.setPointSizeF(notice.pointSizeF() * 1.6);
    notice.setBold(true);
    for (QLabel* l : {LabelAAPC, LabelAACC}) {
        l->setFont(notice);
        l->setAlignment(Qt::AlignCenter);
        textColour(l, QColor(0, 90, 140));
    }
    CheckActivateEyeSafety = make<QCheckBox>(this, QStringLiteral("CheckActivateEyeSafety"));
    BoutonSendToBoard = make<QPushButton>(this, QStringLiteral("BoutonSendToBoard"));
    BoutonWAR = make<QPushButton>(this, QStringLiteral("BoutonWAR"));
    LabelDate = make<QLabel>(this, QStringLiteral("LabelDate"));
    LabelTime = make<QLabel>(this, QStringLiteral("LabelTime"));
    for (QLabel* l : {LabelDate, LabelTime}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFont(bold);
    }
    Voyant = new Lamp(this, 18);
    Voyant->setObjectName(QStringLiteral("Voyant"));
    LabelSNU = make<QLabel>(this, QStringLiteral("LabelSNU"));
    LabelSNU->setFont(bold);

    auto pictureButton = [this](const QString& name, const QIcon& icon) {
        auto* b = make<QToolButton>(this, name);
        b->setIcon(icon);
        b->setIconSize(QSize(44, 44));
        b->setAutoRaise(false);
        b->setFixedSize(58, 58);
        b->setAccessibleName(name);
        return b;
    };
    BoutonStart = pictureButton(QStringLiteral("BoutonStart"), startIcon(88));
    BoutonStop = pictureButton(QStringLiteral("BoutonStop"), stopIcon(88));
    BoutonExit = pictureButton(QStringLiteral("BoutonExit"), exitIcon(88));
    BoutonStart->setToolTip(QStringLiteral(" Set the command ASS"));
    BoutonStop->setToolTip(QStringLiteral("Set the command ASS=0"));

    CheckEnregistrement = make<QCheckBox>(this, QStringLiteral("CheckEnregistrement"));
    Message = make<QLabel>(this, QStringLiteral("Message"));
    Message->setWordWrap(true);
    Message->setAlignment(Qt::AlignCenter);
    QFont big = font();
    big.setPointSizeF(big.pointSizeF() * 1.25);
    big.setBold(true);
    Message->setFont(big);
    textColour(Message, QColor(170, 0, 0));
    Message->hide();

    vaSpreadAlarmes = make<Grid>(this, QStringLiteral("vaSpreadAlarmes"));
    vaSpreadAlarmes->setColumnCount(kLampCount);
    vaSpreadAlarmes->setRowCount(1);
    vaSpreadAlarmes->setReadOnly(true);
    vaSpreadAlarmes->hide();
    vaSpreadMesure = make<Grid>(this, QStringLiteral("vaSpreadMesure"));
    vaSpreadMesure->setColumnCount(kLogColumns);
    vaSpreadMesure->setRowCount(kLogRowGrowth);
    vaSpreadMesure->setReadOnly(true);
    vaSpreadMesure->hide();

    // Tooltips carry catalogue keys until the load replaces them by the catalogue texts.
    const std::array<int, 4> writeKeys{7, 6, 1, 25};
    for (std::size_t i = 0; i < Txt.size(); ++i)
        Txt[i]->setToolTip(QString::number(writeKeys[i]));
    const std::array<int, 6> readKeys{9, 10, 12, 8, 13, 32};
    for (std::size_t i = 0; i < ReadLabel.size(); ++i)
        ReadLabel[i]->setToolTip(QString::number(readKeys[i]));
    LabelSNU->setToolTip(QStringLiteral("1"));

    for (int i = 0; i < kLampCount; ++i) {
        setAlarmLamp(i, false);
        setWarningLamp(i, false);
    }
}

void FrmMenuPilotage::applyBuiltInTexts() {
    setWindowTitle(QStringLiteral("Menu de pilotage"));
    const QStringList tabs{QStringLiteral("Puissance"), QStringLiteral("Courant"),
                           QStringLiteral("Thresholds"), QStringLiteral("Tab 3"),
                           QStringLiteral("Thresholds")};
    for (int i = 0; i < tabs.size(); ++i)
        OngletPilotage->setTabText(i, tabs[i]);
    const QStringList frames{QStringLiteral("Configuration Paramètres"),
                             QStringLiteral("Configuration Paramètres"),
                             QStringLiteral("Variables de fonctionnement"),
                             QStringLiteral("Alarmes"),
                             QStringLiteral("Date"),
                             QStringLiteral("Heure"),
                             QStringLiteral("Legend"),
                             QStringLiteral("Warnings"),
                             QStringLiteral("Legend")};
    for (std::size_t i = 0; i < grpframe.size(); ++i)
        grpframe[i]->setTitle(frames[int(i)]);
    const QStringList labels{"SOP",
                             "SDC",
                             "IPT",
                             "OPM",
                             "TCL",
                             "TCH",
                             "OPW",
                             "LDC",
                             "LDT",
                             "IPW",
                             "CAT",
                             "BIT 1",
                             "BIT 2",
                             "BIT 3",
                             "BIT 4",
                             "BIT 5",
                             "BIT 6",
                             "BIT 7",
                             "White => No Alarm",
                             "Red => Alarm detected",
                             "Laser",
                             "Serial Link",
                             "SNU",
                             "OPM",
                             "Orange => Warning detected",
                             "White => No Warning"};
    for (std::size_t i = 0; i < grplabel.size(); ++i)
        grplabel[i]->setText(labels[int(i)]);
    for (std::size_t i = 0; i < grplabelWarning.size(); ++i)
        grplabelWarning[i]->setText(QStringLiteral("BIT %1").arg(i));
    LabelAAPC->setText(QStringLiteral("APC EXTERNAL MODE"));
    LabelAACC->setText(QStringLiteral("ACC EXTERNAL MODE"));
    CheckActivateEyeSafety->setText(QStringLiteral("Activate Eye safety"));
    BoutonSendToBoard->setText(QStringLiteral("Send to Board"));
    BoutonWAR->setText(QStringLiteral("Reset Warnings"));
    CheckEnregistrement->setText(QStringLiteral("Activer l'enregistrement dans JE"));
}

void FrmMenuPilotage::buildLayout() {
    // Set-point rows of tabs 0 and 1: caption, box, slider.
    auto setPointRow = [](QGridLayout* g, int row, QLabel* caption, QLineEdit* box,
                          NumericSlider* slider) {
        caption->setWordWrap(true);
        caption->setMinimumWidth(150);
        g->addWidget(caption, row, 0);
        g->addWidget(box, row, 1);
        g->addWidget(slider, row, 2);
        g->setColumnStretch(2, 1);
    };
    for (int t = 0; t < 2; ++t) {
        auto* page = OngletPilotage->widget(t);
        auto* pageLayout = new QVBoxLayout(page);
        grpframe[t]->setParent(page);
        pageLayout->addWidget(grpframe[t]);
        auto* g = new QGridLayout(grpframe[t]);
        setPointRow(g, 0, grplabel[t], Txt[t], CWSlide[t]);
    }
    for (int t = 2; t < 4; ++t) {
        auto* page = OngletPilotage->widget(t);
        auto* pageLayout = new QVBoxLayout(page);
        QLabel* notice = t == 2 ? LabelAAPC : LabelAACC;
        notice->setParent(page);
        pageLayout->addWidget(notice);
    }
    {
        // Thresholds tab: rows one under the other.
        auto* page = OngletPilotage->widget(kTabThresholds);
        auto* v = new QVBoxLayout(page);
        auto* g = new QGridLayout;
        g->setVerticalSpacing(14);
        setPointRow(g, 0, grplabel[2], Txt[2], CWSlide[2]);
        setPointRow(g, 1, grplabel[3], Txt[3], CWSlide[3]);
        for (int i : {4, 5}) {
            grplabel[i]->setParent(page);
            g->addWidget(grplabel[i], i - 2, 0, 1, 3);
            textColour(grplabel[i], QColor(90, 90, 90));
        }
        v->addLayout(g);
        auto* actions = new QHBoxLayout;
        actions->addWidget(CheckActivateEyeSafety);
        actions->addStretch(1);
        actions->addWidget(BoutonSendToBoard);
        v->addSpacing(8);
        v->addLayout(actions);
        v->addStretch(1);
        for (QWidget* w : {static_cast<QWidget*>(grplabel[2]), static_cast<QWidget*>(Txt[2]),
                           static_cast<QWidget*>(CWSlide[2]), static_cast<QWidget*>(grplabel[3]),
                           static_cast<QWidget*>(Txt[3]), static_cast<QWidget*>(CWSlide[3]),
                           static_cast<QWidget*>(CheckActivateEyeSafety),
                           static_cast<QWidget*>(BoutonSendToBoard)})
            w->setParent(page);
    }

    // Status column: date, time, laser, link, serial number.
    auto* status = new QGridLayout;
    status->setHorizontalSpacing(10);
    for (int f : {4, 5}) {
        auto* l = new QVBoxLayout(grpframe[f]);
        l->setContentsMargins(6, 2, 6, 4);
        l->addWidget(f == 4 ? LabelDate : LabelTime);
    }
    auto* dateTime = new QHBoxLayout;
    dateTime->addWidget(grpframe[4]);
    dateTime->addWidget(grpframe[5]);
    status->addLayout(dateTime, 0, 0, 1, 2);
    status->addWidget(grplabel[20], 1, 0);
    status->addWidget(LabelStatus[0], 1, 1);
    status->addWidget(grplabel[21], 2, 0);
    status->addWidget(Voyant, 2, 1, Qt::AlignLeft);
    status->addWidget(grplabel[22], 3, 0);
    status->addWidget(LabelSNU, 3, 1);
    status->setRowStretch(4, 1);

    // Picture buttons: Stop sits on Start's cell; exactly one of them is shown.
    auto* buttons = new QGridLayout;
    buttons->addWidget(BoutonStart, 0, 0);
    buttons->addWidget(BoutonStop, 0, 0);
    buttons->addWidget(BoutonExit, 1, 0);
    buttons->setRowStretch(2, 1);
    BoutonStop->hide();

    topRow_ = new QHBoxLayout;
    topRow_->addWidget(OngletPilotage, 1);
    topRow_->addSpacing(6);
    topRow_->addLayout(status);
    topRow_->addSpacing(6);
    topRow_->addLayout(buttons);

    // Readings.
    auto* readings = new QGridLayout(grpframe[2]);
    readings->setVerticalSpacing(6);
    const std::array<int, 6> captions{6, 7, 8, 9, 10, 23};
    for (int i = 0; i < 6; ++i) {
        readings->addWidget(grplabel[captions[i]], i, 0);
        readings->addWidget(ReadLabel[i], i, 1);
    }
    readings->setRowStretch(6, 1);

    // Bit captions on teal, each with its lamp.
    auto bitRow = [](QGridLayout* g, int row, Lamp* lamp, QLabel* caption) {
        caption->setMargin(3);
        caption->setMinimumWidth(200);
        g->addWidget(lamp, row, 0);
        g->addWidget(caption, row, 1);
    };
    auto legend = [](QGroupBox* frame, QLabel* a, QLabel* b) {
        auto* l = new QVBoxLayout(frame);
        l->setContentsMargins(6, 2, 6, 4);
        l->setSpacing(1);
        l->addWidget(a);
        l->addWidget(b);
    };
    auto* alarms = new QGridLayout(grpframe[3]);
    alarms->setVerticalSpacing(3);
    for (int i = 0; i < kLampCount; ++i)
        bitRow(alarms, i, VoyantAlarme[i], grplabel[11 + i]);
    legend(grpframe[6], grplabel[18], grplabel[19]);
    alarms->addWidget(grpframe[6], kLampCount, 0, 1, 2);
    alarms->setRowStretch(kLampCount + 1, 1);

    auto* warnings = new QGridLayout(grpframe[7]);
    warnings->setVerticalSpacing(3);
    for (int i = 0; i < kLampCount; ++i)
        bitRow(warnings, i, VoyantWarning[i], grplabelWarning[i]);
    warnings->addWidget(BoutonWAR, kLampCount, 0, 1, 2, Qt::AlignHCenter);
    legend(grpframe[8], grplabel[24], grplabel[25]);
    warnings->addWidget(grpframe[8], kLampCount + 1, 0, 1, 2);
    warnings->setRowStretch(kLampCount + 2, 1);
    BoutonWAR->setMinimumWidth(170);

    measureArea_ = new QWidget(this);
    measureArea_->setObjectName(QStringLiteral("measureArea"));
    auto* measure = new QHBoxLayout(measureArea_);
    measure->setContentsMargins(0, 0, 0, 0);
    for (int f : {2, 3, 7}) {
        grpframe[f]->setParent(measureArea_);
        measure->addWidget(grpframe[f], f == 2 ? 5 : 6);
    }

    auto* footer = new QHBoxLayout;
    footer->addWidget(CheckEnregistrement);
    footer->addStretch(1);

    auto* messageRow = new QHBoxLayout;
    // The failure text is 2000 twips (about 133 px) narrower than the window, centred.
    messageRow->setContentsMargins(66, 24, 66, 0);
    messageRow->addWidget(Message);

    root_ = new QVBoxLayout(this);
    root_->setContentsMargins(10, 8, 10, 8);
    root_->addLayout(messageRow);
    root_->addLayout(topRow_);
    root_->addWidget(measureArea_, 1);
    root_->addLayout(footer);
    root_->addWidget(vaSpreadAlarmes);
    root_->addWidget(vaSpreadMesure);

    // A quiet panel background so the white readouts and the teal captions stand out.
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(226, 230, 234));
    setPalette(p);
    setAutoFillBackground(true);
    showThresholdsLayout(false);
    resize(sizeHint().expandedTo(QSize(940, 0)));
}

// ---------------------------------------------------------------------------------------------
// Helpers

QString FrmMenuPilotage::exchange(const QString& command) {
    // After the window closed, nothing may reopen the port.
    if (unloaded_) return {};
    return EnvoyerCommande(s_, command);
}

bool FrmMenuPilotage::pump() {
    if (s_.processEvents) s_.processEvents();
    return !unloaded_;
}

void FrmMenuPilotage::setBoxColour(int channel, BoxColour c) {
    boxColour_[static_cast<std::size_t>(channel)] = c;
    QLineEdit* box = Txt[static_cast<std::size_t>(channel)];
    QPalette p = box->palette();
    p.setColor(QPalette::Base, c == BoxColour::Grey     ? buttonFace()
                               : c == BoxColour::Yellow ? kLightYellow
                                                        : QColor(Qt::white));
    box->setPalette(p);
}

double FrmMenuPilotage::boxValue(int channel) const {
    return leadingNumber(Txt[static_cast<std::size_t>(channel)]->text());
}

void FrmMenuPilotage::setBoxText(int channel, double value) {
    Txt[static_cast<std::size_t>(channel)]->setText(formatChannel(channel, value));
}

void FrmMenuPilotage::mouchard(const QString& prefix, const QString& detail) {
    s_.prompts.message(prefix + detail, windowTitle(), PromptIcon::Critical);
}

void FrmMenuPilotage::setAllTabsEnabled(bool enabled, int except) {
    for (int t = 0; t < OngletPilotage->count(); ++t)
        OngletPilotage->setTabEnabled(t, t == except ? true : enabled);
}

void FrmMenuPilotage::setFramesEnabled() {
    for (int f = 0; f <= 5; ++f)
        grpframe[static_cast<std::size_t>(f)]->setEnabled(true);
}

void FrmMenuPilotage::showEyeSafetyRow(bool shown) {
    for (QWidget* w : {static_cast<QWidget*>(grplabel[3]), static_cast<QWidget*>(Txt[3]),
                       static_cast<QWidget*>(CWSlide[3]), static_cast<QWidget*>(grplabel[23]),
                       static_cast<QWidget*>(ReadLabel[5])})
        w->setVisible(shown);
}

void FrmMenuPilotage::setAlarmLamp(int lamp, bool set) {
    VoyantAlarme[static_cast<std::size_t>(lamp)]->setColor(set ? kRed : kPeach);
    colour(grplabel[static_cast<std::size_t>(11 + lamp)], kTeal, set ? kRed : QColor(Qt::white));
}

void FrmMenuPilotage::setWarningLamp(int lamp, bool set) {
    VoyantWarning[static_cast<std::size_t>(lamp)]->setColor(set ? kOrange : kPeach);
    colour(grplabelWarning[static_cast<std::size_t>(lamp)], kTeal,
           set ? kOrange : QColor(Qt::white));
}

void FrmMenuPilotage::resetAlarmLamps() {
    for (int i = 0; i < kLampCount; ++i)
        setAlarmLamp(i, false);
}

void FrmMenuPilotage::setStatus(const QString& answer) {
    if (answer.compare(QStringLiteral("ON"), Qt::CaseInsensitive) == 0) {
        LabelStatus[0]->setText(QStringLiteral("ON"));
        colour(LabelStatus[0], kLightGreen, Qt::white);
    } else {
        LabelStatus[0]->setText(QStringLiteral("OFF"));
        colour(LabelStatus[0], Qt::white, Qt::black);
    }
}

void FrmMenuPilotage::clearStatus() {
    LabelStatus[0]->clear();
    colour(LabelStatus[0], Qt::white, Qt::black);
}

void FrmMenuPilotage::setReading(int row, const QString& text, bool unavailable) {
    QLabel* l = ReadLabel[static_cast<std::size_t>(row)];
    l->setProperty("highlighted", unavailable);
    l->setFrameStyle(unavailable ? (QFrame::Box | QFrame::Plain)
                                 : (QFrame::Panel | QFrame::Sunken));
    if (unavailable)
        colour(l, kLightRed, Qt::white);
    else
        colour(l, Qt::white, Qt::black);
    if (!text.isNull()) l->setText(text);
}

// ---------------------------------------------------------------------------------------------
// Load and unload

void FrmMenuPilotage::Form_Load() {
    BusyScope busy(*this);
    if (s_.FenetreActive < 0) {
        // Not opened from its menu entry: close at once, touching nothing.
        loadAborted_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    centreOnScreen(this);
    ChargerLangueCourante(s_);
    const TextLoader texts(s_, kWindow);
    texts.title(this);
    texts.tabs(OngletPilotage, QStringLiteral("ongletpilotage_"), 0, 3);
    texts.family(grpframe, QStringLiteral("grpframe_"), 0, 5);
    texts.family(grplabel, QStringLiteral("grplabel_"), 0, 23);
    texts.family(grplabelWarning, QStringLiteral("grplabelWarning_"), 0, 6);
    texts.named({CheckEnregistrement});
    loadTooltips(s_, kWriteSyn, Txt);
    loadTooltips(s_, kReadSyn, ReadLabel);
    loadTooltip(s_, kReadSyn, LabelSNU);
    OngletPilotage->setCurrentIndex(kTabApc);

    if (!OuvrirPort(s_)) {
        showLinkFailureLayout();
        return;
    }
    const QString snuCommand = mnemonicOf(LabelSNU);
    const QString snu = snuCommand.isEmpty() ? QString() : exchange(snuCommand + u'?');
    if (snu.isEmpty()) {
        showLinkFailureLayout();
        return;
    }
    LabelSNU->setText(snu);

    const QString general = s_.generalIni();
    CWSlide[0]->setStep(0.1);
    CWSlide[1]->setStep(0.01);
    CWSlide[2]->setRange(leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtIPT_0"))),
                         leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtIPT_1"))));

    const QString pon = exchange(QStringLiteral("PON?"));
    if (pon.isEmpty()) {
        showLinkFailureLayout();
        return;
    }
    CWSlide[3]->setRange(leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtOPT_0"))),
                         leadingNumber(pon) + 0.5);
    LirePanneau();
    if (unloaded_) return;
    const bool stored = leadingInteger(LireIni(general, kParDefaut, kEyeSafetyKey)) == 1;
    eyeSafetyLoaded_ = true;
    if (stored != CheckActivateEyeSafety->isChecked()) {
        CheckActivateEyeSafety->setChecked(stored);
        CheckActivateEyeSafety_Click(); // a change of state runs its handling
    }
    showEyeSafetyRow(stored);

    s_.RafraichissementDemande = true;
    s_.FluxActif = (leadingInteger(LireIni(s_.langueIni(), QStringLiteral("ValueSupervision"),
                                           QStringLiteral("CheckOptions"))) &
                    1) != 0;

    if (s_.Timer) {
        s_.Timer->setRefresh(kCode, [this] { TraiterTopPanneau(); });
        s_.Timer->start();
    }
}

void FrmMenuPilotage::showLinkFailureLayout() {
    linkFailed_ = true;
    OngletPilotage->hide();
    for (QGroupBox* f : grpframe)
        f->hide();
    measureArea_->hide();
    for (int i : {20, 21, 22})
        grplabel[static_cast<std::size_t>(i)]->hide();
    LabelStatus[0]->hide();
    Voyant->hide();
    LabelSNU->hide();
    BoutonStart->hide();
    BoutonStop->hide();
    CheckEnregistrement->hide();
    CheckEnregistrement->setEnabled(false);
    BoutonExit->show();
    BoutonExit->setEnabled(true);
    Message->setText(kLinkFailedText);
    Message->show();
}

void FrmMenuPilotage::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (loadAborted_) return;
    FermerPort(s_);
    Hourglass wait;
    if (s_.Timer) {
        s_.Timer->clearRefresh(kCode);
        s_.Timer->stop();
    } else {
        s_.FenetreActive = AppState::kNoWindow;
    }
    if (CheckEnregistrement->isChecked()) EnregistrerJournal();
    // Stored only when the load took the stored state: a panel that found no link must not
    // overwrite the operator's choice with the box's untouched default.
    if (eyeSafetyLoaded_)
        EcrireIni(s_.generalIni(), kParDefaut, kEyeSafetyKey,
                  CheckActivateEyeSafety->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void FrmMenuPilotage::closeEvent(QCloseEvent* event) {
    Form_Unload();
    handlers_.closing(); // a handler further up the stack may still use the window
    event->accept();
}

void FrmMenuPilotage::BoutonExit_Click() {
    close();
}

// ---------------------------------------------------------------------------------------------
// Laser state, tabs, start and stop

void FrmMenuPilotage::LirePanneau() {
    BusyScope busy(*this);
    setStatus(exchange(QStringLiteral("STS?")));
    const double mode = leadingNumber(exchange(QStringLiteral("ASS?")));
    if (mode == 0) {
        setAllTabsEnabled(true);
        BoutonStart->show();
        BoutonStop->hide();
    } else if (mode == std::floor(mode)) {
        if (const auto tab = tabOfMode(static_cast<int>(mode))) {
            setAllTabsEnabled(false, *tab);
            BoutonStart->hide();
            BoutonStop->show();
            CheckEnregistrement->hide();
        }
    }
}

void FrmMenuPilotage::setReadingRows(int tab) {
    const TextLoader english(s_.langueIni(), kEnglishSection);
    const bool current = isCurrentTab(tab);
    grplabel[6]->setText(
        english.text(current ? QStringLiteral("grplabel_1") : QStringLiteral("grplabel_0")));
    assignTooltip(s_, kReadSyn, ReadLabel[0], current ? 10 : 9);
    grplabel[7]->setText(
        english.text(current ? QStringLiteral("grplabel_0") : QStringLiteral("grplabel_1")));
    assignTooltip(s_, kReadSyn, ReadLabel[1], current ? 9 : 10);
}

void FrmMenuPilotage::showThresholdsLayout(bool thresholds) {
    // The thresholds tab takes the whole window; the mode tabs leave room for the readings.
    root_->setStretchFactor(topRow_, thresholds ? 1 : 0);
    if (thresholds) {
        OngletPilotage->setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        // As high as the set-point frame of the mode tabs needs, not as the thresholds page.
        const int frame =
            std::max(grpframe[0]->sizeHint().height(), grpframe[1]->sizeHint().height());
        OngletPilotage->setMaximumHeight(OngletPilotage->tabBar()->sizeHint().height() + frame +
                                         26);
    }
}

void FrmMenuPilotage::OngletPilotage_Click(int tab) {
    BusyScope busy(*this);
    if (linkFailed_ || unloaded_) return;
    const std::array<QWidget*, 10> panel{BoutonExit,   measureArea_, grpframe[4],  grpframe[5],
                                         grplabel[20], grplabel[21], grplabel[22], LabelStatus[0],
                                         Voyant,       LabelSNU};
    for (QWidget* w : panel)
        w->show();
    showThresholdsLayout(false);

    if (tab != kTabThresholds) {
        const bool running = leadingNumber(exchange(QStringLiteral("ASS?"))) != 0;
        BoutonStart->setVisible(!running);
        BoutonStop->setVisible(running);
        if (!pump()) return;
    } else {
        BoutonStart->hide();
        BoutonStop->hide();
        for (QWidget* w : panel)
            w->hide();
        showThresholdsLayout(true);
    }
    if (tab == kTabApc || tab == kTabAcc || tab == kTabAapc || tab == kTabAacc) setReadingRows(tab);
    CheckEnregistrement->setEnabled(tab != kTabThresholds);
    showEyeSafetyRow(CheckActivateEyeSafety->isChecked());
}

void FrmMenuPilotage::BoutonStart_Click() {
    BusyScope busy(*this);
    const int tab = OngletPilotage->currentIndex();
    if (tab == kTabThresholds) {
        s_.prompts.message(QStringLiteral("Select APC or ACC mode."), windowTitle(),
                           PromptIcon::Information);
        return;
    }
    for (int i = 0; i < kChannelCount; ++i) {
        if (!isGrey(i)) {
            Txt[static_cast<std::size_t>(i)]->setEnabled(true);
            CWSlide[static_cast<std::size_t>(i)]->setEnabled(true);
        }
    }
    CheckEnregistrement->hide();
    setAllTabsEnabled(false, tab);
    if (!pump()) return;
    if (CheckEnregistrement->isChecked()) s_.LigneMesure = 1;
    if (DemarrerLaser(tab)) {
        BoutonStart->hide();
        BoutonStop->show();
    } else if (!unloaded_) {
        BoutonStart->show();
        BoutonStop->hide();
        setFramesEnabled();
        // Back to the stopped layout: the operator may choose another mode or log again.
        setAllTabsEnabled(true);
        CheckEnregistrement->show();
    }
}

bool FrmMenuPilotage::DemarrerLaser(int tab) {
    BusyScope busy(*this);
    try {
        if (const auto mode = modeOfTab(tab)) modeValeur_ = static_cast<qint16>(*mode);
        auto sendSetPoint = [this](int channel) {
            setBoxColour(channel, BoxColour::White);
            const QString mne = mnemonicOf(Txt[static_cast<std::size_t>(channel)]);
            const QString answer =
                mne.isEmpty()
                    ? QString()
                    : exchange(setPointCommand(mne, Txt[static_cast<std::size_t>(channel)]->text(),
                                               channelFactor(channel)));
            if (!acknowledged(answer)) setBoxColour(channel, BoxColour::Grey);
        };
        if (tab == kTabApc && !isGrey(0))
            sendSetPoint(0);
        else if (tab == kTabAcc && Txt[1]->isEnabled() && !isGrey(1))
            sendSetPoint(1);

        const QString answer = exchange(QStringLiteral("ASS=") + QString::number(modeValeur_));
        if (answer.contains(QStringLiteral("ASS!"), Qt::CaseInsensitive)) {
            RafraichirEtatPanneau();
            return true;
        }
        s_.prompts.message(answer.contains(u'#') ? QStringLiteral("Command failed in User mode")
                                                 : QStringLiteral("Command failed"),
                           windowTitle(), PromptIcon::None);
        return false;
    } catch (const std::exception&) {
        s_.prompts.message(QStringLiteral("Command Start failed."), windowTitle(),
                           PromptIcon::Critical);
        return false;
    }
}

void FrmMenuPilotage::BoutonStop_Click() {
    BusyScope busy(*this);
    BoutonStart->show();
    BoutonStop->hide();
    const QString answer = exchange(QStringLiteral("ASS=0"));
    if (acknowledged(answer)) {
        QString alarms = exchange(QStringLiteral("ALA?"));
        AfficherAlarmes(alarms);
    } else if (!unloaded_) {
        s_.prompts.message(QStringLiteral("Command « ASS =0 » failed."), windowTitle(),
                           PromptIcon::Information);
    }
    clearStatus();
    CheckEnregistrement->show();
    setFramesEnabled();
    setAllTabsEnabled(true);
    BoutonExit->setEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// Set points

bool FrmMenuPilotage::EcrireConsigne(int channel) {
    BusyScope busy(*this);
    const auto i = static_cast<std::size_t>(channel);
    const QString mne = mnemonicOf(Txt[i]);
    try {
        const int factor = channelFactor(channel);
        const double typed = boxValue(channel);
        setBoxText(channel, typed);
        const Bounded b =
            boundToRange(boxValue(channel), CWSlide[i]->minimum(), CWSlide[i]->maximum());
        if (b.changed) setBoxText(channel, b.value);
        setBoxColour(channel, BoxColour::White);
        if (mne.isEmpty()) return false; // no command bound to this box
        const QString answer = exchange(setPointCommand(mne, Txt[i]->text(), factor));
        if (acknowledged(answer)) return true;
        if (channel == 0) {
            if (!CWSlide[0]->isHidden()) setBoxColour(0, BoxColour::Grey);
            return false;
        }
        const QString back = exchange(mne + u'?');
        if (!back.isEmpty()) {
            const double v = leadingNumber(back) / factor;
            setBoxText(channel, v);
            CWSlide[i]->setValue(v);
            return true;
        }
        setBoxColour(channel, BoxColour::Grey);
        return false;
    } catch (const std::exception& e) {
        mouchard(QStringLiteral("Mouchard 2 "),
                 QString::fromLocal8Bit(e.what()) + QStringLiteral(" Commande  ") + mne);
        return false;
    }
}

void FrmMenuPilotage::Txt_Enter(int channel) {
    BusyScope busy(*this);
    const auto i = static_cast<std::size_t>(channel);
    const QString text = Txt[i]->text();
    if (isNumericText(text)) {
        setBoxColour(channel, BoxColour::White);
        const Bounded b =
            boundToRange(leadingNumber(text), CWSlide[i]->minimum(), CWSlide[i]->maximum());
        if (b.changed) setBoxText(channel, b.value);
        CWSlide[i]->setValue(b.value);
        EcrireConsigne(channel);
    } else {
        setBoxText(channel, CWSlide[i]->value());
        Txt[i]->setFocus();
    }
}

bool FrmMenuPilotage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < kChannelCount; ++i) {
            if (watched != Txt[static_cast<std::size_t>(i)]) continue;
            const auto* keyEvent = static_cast<QKeyEvent*>(event);
            const int key = keyEvent->key();
            // Only keys that type (characters, Enter, Backspace, Delete) mark a threshold as
            // typed but not sent; moving the cursor or the focus, or a lone modifier, does not.
            const bool typing = key != Qt::Key_Tab && key != Qt::Key_Backtab &&
                                (!keyEvent->text().isEmpty() || key == Qt::Key_Backspace ||
                                 key == Qt::Key_Delete);
            if (i >= 2 && typing) setBoxColour(i, BoxColour::Yellow);
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                Txt_Enter(i);
                return true;
            }
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmMenuPilotage::CWSlide_PointerValueChanged(int channel, double value) {
    BusyScope busy(*this);
    try {
        const auto i = static_cast<std::size_t>(channel);
        if (channel == 0) {
            CWSlide[0]->setMinimum(0);
            Txt[0]->setText(formatFixed(value, 1));
        } else if (channel == 3) {
            Txt[3]->setText(formatFixed(value, 1));
        } else {
            Txt[i]->setText(plainNumber(value));
        }
        EcrireConsigne(channel);
    } catch (const std::exception& e) {
        mouchard(QStringLiteral("Mouchard 1 "), QString::fromLocal8Bit(e.what()));
    }
}

void FrmMenuPilotage::CheckActivateEyeSafety_Click() {
    BusyScope busy(*this);
    applyEyeSafetyState(CheckActivateEyeSafety->isChecked());
}

void FrmMenuPilotage::applyEyeSafetyState(bool checked) {
    QString r;
    double divisor = 1;
    if (checked) {
        showEyeSafetyRow(true);
        r = exchange(QStringLiteral("OPM?"));
        divisor = 10;
    } else {
        showEyeSafetyRow(false);
        const QString p = exchange(QStringLiteral("PON?"));
        // Without a nominal power there is nothing to derive the limit from: sending
        // OPM=5 (0.5 dBm) would clamp the amplifier, so nothing is sent.
        if (!p.isEmpty()) {
            const double limit = leadingNumber(p) + 0.5;
            const QString answer = exchange(QStringLiteral("OPM=") + plainNumber(limit * 10));
            if (acknowledged(answer)) {
                setBoxText(3, limit);
                CWSlide[3]->setValue(limit);
            }
        }
        r = p;
        divisor = 1;
    }
    if (r.isEmpty()) return;
    const double limit = leadingNumber(r) / divisor;
    if (limit < boxValue(0)) {
        setBoxText(0, limit);
        CWSlide[0]->setValue(limit);
    }
    const std::optional<double> nominal = answerValue(exchange(QStringLiteral("PON?")));
    CWSlide[0]->setMaximum(outputPowerMaximum(limit, nominal));
}

void FrmMenuPilotage::EnvoyerSeuilsCarte() {
    BusyScope busy(*this);
    Hourglass wait;
    for (int channel : {2, 3}) {
        const auto i = static_cast<std::size_t>(channel);
        setBoxColour(channel, BoxColour::White);
        const QString mne = mnemonicOf(Txt[i]);
        const QString answer =
            mne.isEmpty() ? QString() : exchange(setPointCommand(mne, Txt[i]->text(), 10));
        if (acknowledged(answer)) continue;
        const QString back = mne.isEmpty() ? QString() : exchange(mne + u'?');
        if (back.isEmpty()) {
            setBoxColour(channel, BoxColour::Grey);
        } else {
            const double v = leadingNumber(back) / 10;
            setBoxText(channel, v);
            CWSlide[i]->setValue(v);
        }
        return;
    }
}

void FrmMenuPilotage::BoutonSendToBoard_Click() {
    EnvoyerSeuilsCarte();
}

void FrmMenuPilotage::BoutonWAR_Click() {
    BusyScope busy(*this);
    const QString answer = exchange(QStringLiteral("WAR=0"));
    if (acknowledged(answer) || unloaded_) return;
    const QString caption = BoutonWAR->text();
    BoutonWAR->setText(QStringLiteral("Reset Warnings Failed"));
    BoutonWAR->repaint();
    s_.clock.sleep(2000);
    BoutonWAR->setText(caption);
}

// ---------------------------------------------------------------------------------------------
// Alarms and warnings

void FrmMenuPilotage::AfficherAlarmes(QString& answer) {
    const LampStates states = decodeAlarms(answer);
    for (int i = 0; i < kLampCount; ++i) {
        if (const auto& st = states[static_cast<std::size_t>(i)]) setAlarmLamp(i, *st);
    }
    if (answer.size() >= 2) answer = answer.right(1);
}

void FrmMenuPilotage::AfficherAvertissements(QString& answer) {
    const LampStates states = decodeWarnings(answer);
    for (int i = 0; i < kLampCount; ++i) {
        if (const auto& st = states[static_cast<std::size_t>(i)]) setWarningLamp(i, *st);
    }
    answer = answer.size() >= 4 ? answer.left(answer.size() - 4) : QString();
}

// ---------------------------------------------------------------------------------------------
// Poll

void FrmMenuPilotage::TraiterTopPanneau() {
    BusyScope busy(*this);
    if (unloaded_) return;
    if (s_.RafraichissementDemande) RafraichirPanneauComplet();
    s_.RafraichissementDemande = false;
    if (unloaded_) return;
    RafraichirEtatPanneau();
    if (unloaded_) return;
    const QDateTime now = currentTime();
    LabelDate->setText(logDateText(now));
    LabelTime->setText(logTimeText(now));
}

void FrmMenuPilotage::RafraichirPanneauComplet() {
    BusyScope busy(*this);
    const QString general = s_.generalIni();
    auto failed = [this] { showLinkFailureLayout(); };

    // Output-power limit.
    QString limitAnswer;
    double divisor = 1;
    if (CheckActivateEyeSafety->isChecked()) {
        limitAnswer = exchange(QStringLiteral("OPM?"));
        divisor = 10;
        if (limitAnswer.isEmpty()) return failed();
    } else {
        limitAnswer = exchange(QStringLiteral("PON?"));
        if (limitAnswer.isEmpty()) return failed();
        if (boxValue(0) > leadingNumber(limitAnswer)) {
            Txt[0]->setText(limitAnswer);
            CWSlide[0]->setValue(leadingNumber(limitAnswer));
        }
    }
    const double limit = leadingNumber(limitAnswer) / divisor;

    // Output-power set point and its scale.
    const QString sop = exchange(mnemonicOf(Txt[0]) + u'?');
    if (sop.isEmpty()) return failed();
    setBoxText(0, leadingNumber(sop) / 10);
    CWSlide[0]->setRange(0, limit + 0.5);
    const std::optional<double> nominal = answerValue(exchange(QStringLiteral("PON?")));
    CWSlide[0]->setMaximum(outputPowerMaximum(limit, nominal));
    CWSlide[0]->setValue(boxValue(0));
    CWSlide[0]->setMajorDivisions(10);

    // Diode current.
    const QString im2 = exchange(QStringLiteral("IM2?"));
    if (im2.isEmpty()) return failed();
    const double maxCurrent = leadingNumber(im2) / 1000;
    CWSlide[1]->setRange(0, maxCurrent);
    CWSlide[1]->setMajorDivisions(std::max(1, static_cast<int>(std::floor(maxCurrent))));
    if (!isGrey(1)) {
        const QString sdc = exchange(mnemonicOf(Txt[1]) + u'?');
        if (sdc.isEmpty()) return failed();
        const double v = leadingNumber(sdc) / 1000;
        setBoxText(1, v);
        CWSlide[1]->setValue(v);
    }

    // Power-limit scale; its upper bound is kept for the thresholds window.
    const QString pon = exchange(QStringLiteral("PON?"));
    if (pon.isEmpty()) return failed();
    CWSlide[3]->setRange(leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtOPT_0"))),
                         leadingNumber(pon) + 0.5);
    EcrireIni(general, kThresholds, QStringLiteral("TxtOPT_1"), pon);

    // Thresholds.
    for (int channel : {2, 3}) {
        const auto i = static_cast<std::size_t>(channel);
        const QString a = exchange(mnemonicOf(Txt[i]) + u'?');
        if (a.isEmpty()) return failed();
        const double v = leadingNumber(a) / 10;
        setBoxText(channel, v);
        CWSlide[i]->setValue(v);
    }

    PreparerFeuilleMesure();
    for (int i = 0; i < kLampCount; ++i)
        vaSpreadAlarmes->setCellText(0, i + 1, grplabel[static_cast<std::size_t>(11 + i)]->text());
}

void FrmMenuPilotage::RafraichirEtatPanneau() {
    BusyScope busy(*this);
    const int tab = OngletPilotage->currentIndex();
    bool readFailed = false;
    for (int i = 0; i < 6; ++i) {
        if (!pump()) return;
        QLabel* label = ReadLabel[static_cast<std::size_t>(i)];
        if (label->palette().color(QPalette::Window) == buttonFace() || label->toolTip().isEmpty())
            continue;
        Voyant->setColor(kLightGreen);
        const QString answer = exchange(mnemonicOf(label) + u'?');
        if (answer.isEmpty()) {
            Voyant->setColor(kLightRed);
            if (!pump()) return;
            readFailed = true;
            break;
        }
        const std::optional<int> divisor = readingDivisor(i, tab);
        if (!divisor) {
            // Power and current rows mean nothing on the thresholds tab: still read (the link
            // lamp tells), but shown as they were.
            setReading(i, QString(), false);
            continue;
        }
        // Every row, the power-limit one included, is shown white again once its value is back;
        // nothing else would clear the light red of an "XXX".
        if (answer.compare(QStringLiteral("xxx"), Qt::CaseInsensitive) == 0)
            setReading(i, QStringLiteral("XXX"), true);
        else
            setReading(i, plainNumber(leadingNumber(answer) / *divisor), false);
    }
    if (readFailed) {
        for (int i = 0; i < 5; ++i)
            ReadLabel[static_cast<std::size_t>(i)]->clear();
        clearStatus();
        resetAlarmLamps();
        return;
    }

    Voyant->setColor(kLightGreen);
    const QString alarms = exchange(QStringLiteral("ALA?"));
    if (alarms.isEmpty()) {
        Voyant->setColor(kLightRed);
        if (!pump()) return;
        clearStatus();
        resetAlarmLamps();
        alarmText_.clear();
    } else {
        alarmText_ = alarms;
        QString consumed = alarms;
        AfficherAlarmes(consumed);
    }
    warningText_ = exchange(QStringLiteral("WAR?"));
    if (!warningText_.isEmpty()) {
        QString consumed = warningText_;
        AfficherAvertissements(consumed);
    }
    setStatus(exchange(QStringLiteral("STS?")));
    if (unloaded_) return;

    if (CheckEnregistrement->isChecked() && measurementRowDue(s_.CompteurEnregistrement)) {
        int row = s_.LigneMesure;
        const QDateTime now = currentTime();
        const QStringList header = measureHeader();
        const Grid* sheet = vaSpreadMesure;
        if (headerNeededAt(row, header, [sheet](int r, int c) { return sheet->cellText(r, c); }))
            writeMeasureRow(row++, header);
        writeMeasureRow(row, {logDateText(now), logTimeText(now), ReadLabel[0]->text(),
                              ReadLabel[1]->text(), ReadLabel[2]->text(), ReadLabel[3]->text(),
                              ReadLabel[4]->text(), alarmText_, warningText_});
        EnregistrerJournal();
        s_.LigneMesure = row + 1;
        s_.CompteurEnregistrement = 1;
    }
}

// ---------------------------------------------------------------------------------------------
// Measurement sheet and log

void FrmMenuPilotage::PreparerFeuilleMesure() {
    vaSpreadMesure->setColumnCount(kLogColumns);
    vaSpreadMesure->clearBlock(1, 1);
    writeMeasureRow(0, measureHeader());
}

QStringList FrmMenuPilotage::measureHeader() const {
    QStringList titles;
    for (int i = 0; i < 5; ++i)
        titles << grplabel[static_cast<std::size_t>(6 + i)]->text();
    return logHeader(titles);
}

void FrmMenuPilotage::writeMeasureRow(int row, const QStringList& cells) {
    vaSpreadMesure->setRowCount(rowCountForRow(row, vaSpreadMesure->rowCount()));
    for (int c = 0; c < cells.size(); ++c)
        vaSpreadMesure->setCellText(row, c + 1, cells[c]);
}

void FrmMenuPilotage::CheckEnregistrement_Click() {
    BusyScope busy(*this);
    ensureResultsDir(s_.programDir);
    if (!CheckEnregistrement->isChecked()) return;
    s_.NomJournal = nomJournalFor(s_.programDir, currentTime());
    vaSpreadMesure->clearBlock(1, 1);
    s_.LigneMesure = 1;
    logFailureReported_ = false;
}

bool FrmMenuPilotage::EnregistrerJournal() {
    const QString path = logFilePath(s_);
    const Grid* sheet = vaSpreadMesure;
    const LogWriteResult result =
        writeMeasurementLog(path, sheet->lastRowWithData(), sheet->columnCount(),
                            [sheet](int row, int col) { return sheet->cellText(row, col); });
    if (result.ok) {
        logFailureReported_ = false;
        return true;
    }
    if (!logFailureReported_) {
        logFailureReported_ = true;
        s_.prompts.message(
            QStringLiteral("The measurement log cannot be written to \"%1\": %2.\n"
                           "Check that the folder exists and that you may write to it. The "
                           "panel keeps running and tries again with the next row; the last "
                           "log written is kept.")
                .arg(QDir::toNativeSeparators(path), result.error),
            windowTitle(), PromptIcon::Critical);
    }
    return false;
}

} // namespace tav
