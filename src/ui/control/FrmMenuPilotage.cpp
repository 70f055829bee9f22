#include "ui/control/FrmMenuPilotage.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/control/MeasurementLog.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/link/Wait.h"
#include "core/poll/Poll.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"
#include "core/translation/Texts.h"
#include "ui/control/Lamp.h"
#include "ui/control/PanelIcons.h"
#include "ui/control/PanelReadings.h"
#include "ui/control/PanelStatus.h"
#include "ui/support/Grid.h"
#include "ui/support/Hourglass.h"
#include "ui/support/Slider.h"
#include "ui/support/TextLoader.h"
#include "ui/support/Tooltips.h"
#include "ui/support/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

namespace tav {

using namespace panel;

const QString FrmMenuPilotage::kLinkFailedText = QStringLiteral(
    "Serial Link failed (Check port number, cable,...). Restart Control Panel Window.");

namespace {

const QString kWindow = QStringLiteral("FrmMenuPilotage");
const QString kThresholds = QStringLiteral("FrmAlarmsThresholds");
const QString kParDefaut = QStringLiteral("PAR_DEFAUT");
const QString kEyeSafetyKey = QStringLiteral("CheckActivateEyeSafety");
// The reading-row captions always come from the English section, whatever the language.
const QString kEnglishSection = QStringLiteral("FrmMenuPilotageen");

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

FrmMenuPilotage::FrmMenuPilotage(AppState& s, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s) {
    setObjectName(kWindow);
    setWindowTitle(QStringLiteral("Menu de pilotage"));
    buildLayout();
    // A port failure turns the link lamp red before its box is shown.
    s_.avantEchecPort = [this] { Voyant->setColor(kLightRed); };
    Form_Load();

    // Operator events, connected after the load so that building the tabs runs no handler.
    connect(OngletPilotage, &TabControl::tabChanged, this,
            [this](int tab, int) { OngletPilotage_Click(tab); });
    connect(tabs_, &SetPointTabs::boxEntered, this, &FrmMenuPilotage::Txt_Enter);
    for (NumericSlider* slider : CWSlide)
        connect(slider, &NumericSlider::valueChanged, this,
                &FrmMenuPilotage::CWSlide_PointerValueChanged);
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
    s_.avantEchecPort = nullptr;
}

void FrmMenuPilotage::buildLayout() {
    // Top row: set-point tabs, status column, picture buttons. Below: readings, alarms and
    // warnings; then the log box. Every part keeps its own minimum, so the window's minimum
    // size is the one at which nothing is cut.
    tabs_ = new SetPointTabs(*this, this);
    status_ = new PanelStatus(*this, this);
    readings_ = new PanelReadings(*this, this);

    auto pictureButton = [this](const QString& name, const QIcon& icon) {
        auto* b = make<QToolButton>(this, name);
        b->setIcon(icon);
        b->setIconSize(QSize(44, 44));
        b->setFixedSize(58, 58);
        b->setAccessibleName(name);
        return b;
    };
    BoutonStart = pictureButton(QStringLiteral("BoutonStart"), startIcon(88));
    BoutonStop = pictureButton(QStringLiteral("BoutonStop"), stopIcon(88));
    BoutonExit = pictureButton(QStringLiteral("BoutonExit"), exitIcon(88));
    BoutonStart->setToolTip(QStringLiteral(" Set the command ASS"));
    BoutonStop->setToolTip(QStringLiteral("Set the command ASS=0"));
    BoutonStop->hide();
    // Stop sits on Start's cell; exactly one of them is shown.
    auto* buttons = new QGridLayout;
    buttons->addWidget(BoutonStart, 0, 0);
    buttons->addWidget(BoutonStop, 0, 0);
    buttons->addWidget(BoutonExit, 1, 0);
    buttons->setRowStretch(2, 1);

    topRow_ = new QHBoxLayout;
    topRow_->setSpacing(12);
    topRow_->addWidget(tabs_, 1);
    topRow_->addStretch(0); // takes the width only when the tabs are hidden (link failure)
    topRow_->addWidget(status_);
    topRow_->addLayout(buttons);

    CheckEnregistrement = make<QCheckBox>(this, QStringLiteral("CheckEnregistrement"));
    CheckEnregistrement->setText(QStringLiteral("Activer l'enregistrement dans JE"));

    // The failure text is 2000 twips (about 133 px) narrower than the window, centred; its
    // row exists only in the failure layout.
    messageRow_ = new QWidget(this);
    auto* messageLayout = new QHBoxLayout(messageRow_);
    messageLayout->setContentsMargins(66, 24, 66, 12);
    Message = make<QLabel>(messageRow_, QStringLiteral("Message"));
    Message->setAlignment(Qt::AlignCenter);
    Message->setFont(boldFont(this, 1.25));
    textColour(Message, QColor(170, 0, 0));
    messageLayout->addWidget(Message);
    messageRow_->hide();

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

    root_ = new QVBoxLayout(this);
    root_->setContentsMargins(10, 8, 10, 8);
    root_->addWidget(messageRow_);
    root_->addLayout(topRow_);
    root_->addWidget(readings_, 1);
    root_->addWidget(CheckEnregistrement);
    root_->addWidget(vaSpreadAlarmes);
    root_->addWidget(vaSpreadMesure);

    // A quiet panel background so the white readouts and the teal captions stand out.
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(226, 230, 234));
    setPalette(p);
    setAutoFillBackground(true);
    showEyeSafetyRow(false);
    showThresholdsLayout(false);
}

void FrmMenuPilotage::fitToContents() {
    root_->activate();
    resize(sizeHint());
    centreOnScreen(this);
}

// ---------------------------------------------------------------------------------------------
// Helpers

QString FrmMenuPilotage::exchange(const QString& command) {
    // After the window closed, nothing may reopen the port.
    if (unloaded_) return {};
    return EnvoyerCommande(s_, command);
}

std::optional<double> FrmMenuPilotage::readNumber(const QString& command) {
    const QString answer = exchange(command);
    const std::optional<double> n = numericAnswer(answer);
    if (!n && !answer.isEmpty() && !isNotAvailable(answer))
        unreadable_ = QStringLiteral("%1 (\"%2\")").arg(command, answer);
    return n;
}

bool FrmMenuPilotage::showSetPoint(int channel, const QString& answer) {
    const auto i = static_cast<std::size_t>(channel);
    if (isNotAvailable(answer)) {
        Txt[i]->setText(QStringLiteral("XXX"));
        setBoxColour(channel, BoxColour::Unavailable);
        return true;
    }
    const std::optional<double> n = numericAnswer(answer);
    if (!n) return false;
    if (boxColour(channel) == BoxColour::Unavailable) setBoxColour(channel, BoxColour::White);
    const double v = *n / channelFactor(channel);
    setBoxText(channel, v);
    CWSlide[i]->setValue(v);
    return true;
}

bool FrmMenuPilotage::pump() {
    if (s_.processEvents) s_.processEvents();
    return !unloaded_;
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
    tabs_->showLimitRow(shown);
    readings_->showLimitRow(shown);
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
    fitToContents(); // as large as the loaded texts ask

    // A board that answers after the time-out is not a broken link: the failure text says so.
    struct LateWatch {
        AppState& s;
        std::function<void(qint64)> before;
        ~LateWatch() { s.lateAnswer = before; }
    } watch{s_, s_.lateAnswer};
    s_.lateAnswer = [this, &watch](qint64 ms) {
        lateMs_ = std::max(lateMs_, ms);
        if (watch.before) watch.before(ms);
    };
    if (!OuvrirPort(s_)) {
        showLinkFailureLayout();
        return;
    }
    const QString snuCommand = mnemonicOf(LabelSNU);
    const QString snu = snuCommand.isEmpty() ? QString() : exchange(snuCommand + u'?');
    if (snu.isEmpty()) {
        drainOwedAnswers(s_); // a late answer still owed tells a slow board from a dead link
        showLinkFailureLayout();
        return;
    }
    LabelSNU->setText(snu);

    const QString general = s_.generalIni();
    CWSlide[0]->setStep(0.1);
    CWSlide[1]->setStep(0.01);
    CWSlide[2]->setRange(leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtIPT_0"))),
                         leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtIPT_1"))));

    const std::optional<double> pon = readNumber(QStringLiteral("PON?"));
    if (!pon) {
        showLinkFailureLayout();
        return;
    }
    CWSlide[3]->setRange(leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtOPT_0"))),
                         *pon + 0.5);
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

QString FrmMenuPilotage::unreadableAnswersText() const {
    if (lateMs_ > 0)
        return QStringLiteral("The board answers, but %1 ms after a command, later than the "
                              "time-out of %2 ms: its answers cannot be read. Raise the time-out "
                              "(Parameters > Supervision) above %1 ms, then restart Control Panel "
                              "Window.")
            .arg(lateMs_)
            .arg(s_.TempsTimeout);
    return QStringLiteral("The board answers, but its answer to %1 cannot be read. Check the line "
                          "rate (Tools > Automatic Baud Rate Detection), then restart Control "
                          "Panel Window.")
        .arg(unreadable_);
}

void FrmMenuPilotage::showLinkFailureLayout() {
    // Only the failure text and the exit button remain, and the window shrinks to them.
    linkFailed_ = true;
    for (QWidget* w : std::initializer_list<QWidget*>{OngletPilotage, status_, readings_,
                                                       BoutonStart, BoutonStop,
                                                       CheckEnregistrement})
        w->hide();
    CheckEnregistrement->setEnabled(false);
    BoutonExit->show();
    BoutonExit->setEnabled(true);
    Message->setText(lateMs_ > 0 || !unreadable_.isEmpty() ? unreadableAnswersText()
                                                             : kLinkFailedText);
    messageRow_->show();
    fitToContents();
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
    status_->setStatus(exchange(QStringLiteral("STS?")));
    const double mode = readNumber(QStringLiteral("ASS?")).value_or(0);
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
    // The thresholds tab takes the whole window; the mode tabs leave the room to the readings.
    root_->setStretchFactor(topRow_, thresholds ? 1 : 0);
    root_->setStretchFactor(readings_, thresholds ? 0 : 1);
}

void FrmMenuPilotage::OngletPilotage_Click(int tab) {
    BusyScope busy(*this);
    if (linkFailed_ || unloaded_) return;
    // What the thresholds tab hides: the exit button, the readings, the status column.
    const std::array<QWidget*, 3> panel{BoutonExit, readings_, status_};
    for (QWidget* w : panel)
        w->show();
    showThresholdsLayout(false);
    if (tab != kTabThresholds) {
        const bool running = readNumber(QStringLiteral("ASS?")).value_or(0) != 0;
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
            if (!writeAcknowledged(answer)) setBoxColour(channel, BoxColour::Grey);
        };
        if (tab == kTabApc && !isUnknown(0))
            sendSetPoint(0);
        else if (tab == kTabAcc && Txt[1]->isEnabled() && !isUnknown(1))
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
    if (writeAcknowledged(answer)) {
        QString alarms = exchange(QStringLiteral("ALA?"));
        AfficherAlarmes(alarms);
    } else if (!unloaded_) {
        s_.prompts.message(QStringLiteral("Command « ASS =0 » failed."), windowTitle(),
                           PromptIcon::Information);
    }
    status_->clearStatus();
    CheckEnregistrement->show();
    setFramesEnabled();
    setAllTabsEnabled(true);
    BoutonExit->setEnabled(true);
}

void FrmMenuPilotage::BoutonWAR_Click() {
    BusyScope busy(*this);
    const QString answer = exchange(QStringLiteral("WAR=0"));
    if (writeAcknowledged(answer) || unloaded_) return;
    const QString caption = BoutonWAR->text();
    BoutonWAR->setText(QStringLiteral("Reset Warnings Failed"));
    BoutonWAR->repaint();
    pauseMs(s_, 2000);
    BoutonWAR->setText(caption);
}

} // namespace tav
