#include "ui/config/FrmConfigManuelle.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/config/BoardReading.h"
#include "core/config/ConfigReport.h"
#include "core/config/ConfigRules.h"
#include "core/control/MeasurementLog.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/link/SerialPort.h"
#include "core/poll/Poll.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"
#include "core/translation/Texts.h"
#include "ui/config/FrmImpression.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/support/HandlerDepth.h"
#include "ui/support/Hourglass.h"
#include "ui/support/Slider.h"
#include "ui/support/Tabs.h"
#include "ui/support/TextLoader.h"
#include "ui/support/Tooltips.h"
#include "ui/support/WindowPlacement.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace tav {

const QColor FrmConfigManuelle::kRed(255, 0, 0);

// One running operation of the window (see HandlerDepth). The outermost one also starts a fresh
// record of a port that went away, so that each operation reports it at most once.
struct ConfigBusy : HandlerDepth::Scope {
    explicit ConfigBusy(FrmConfigManuelle& w) : HandlerDepth::Scope(w.handlers_) {
        if (w.handlers_.depth() == 1) w.portLost_ = false;
    }
};

namespace {

const QString kWindow = QStringLiteral("FrmConfigManuelle");
const QString kThresholds = QStringLiteral("FrmAlarmsThresholds");
const QString kEepromTitle = QStringLiteral("Configuration Manuelle");
const QString kSaveTitle = QStringLiteral("Sauve");

bool acknowledged(const QString& answer) {
    return answer.contains(u'!');
}

double bound(const AppState& s, const char* key) {
    return leadingNumber(LireIni(s.generalIni(), kThresholds, QString::fromLatin1(key)));
}

} // namespace

FrmConfigManuelle::FrmConfigManuelle(AppState& s, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s) {
    setObjectName(kWindow);
    buildControls();
    buildLayout();
    inert_ = !Form_Load();

    // Operator events, connected after the opening so that setting ranges runs no handler.
    for (int i = 0; i < kParamCount; ++i) {
        CW[static_cast<std::size_t>(i)]->installEventFilter(this);
        connect(CW[static_cast<std::size_t>(i)], &QLineEdit::textEdited, this,
                [this, i] { held_[static_cast<std::size_t>(i)] = true; });
        connect(CWSlide[static_cast<std::size_t>(i)], &NumericSlider::valueChanged, this,
                &FrmConfigManuelle::CWSlide_PointerValueChanged);
    }
    for (int k = 0; k < 4; ++k)
        connect(OptionMode[static_cast<std::size_t>(k)], &QRadioButton::clicked, this,
                [this, k] { OptionMode_Click(k); });
    connect(Onglet, &TabControl::tabChanged, this, [this](int tab, int) { Onglet_Click(tab); });
    connect(BoutonImporter, &QPushButton::clicked, this, &FrmConfigManuelle::BoutonImporter_Click);
    connect(BoutonExporter, &QPushButton::clicked, this, &FrmConfigManuelle::BoutonExporter_Click);
    connect(BoutonEeprom, &QToolButton::clicked, this, &FrmConfigManuelle::BoutonEeprom_Click);
    connect(BoutonImprimer, &QToolButton::clicked, this, &FrmConfigManuelle::BoutonImprimer_Click);
    connect(BoutonReinitialiser, &QPushButton::clicked, this,
            &FrmConfigManuelle::BoutonReinitialiser_Click);
    connect(BoutonExit, &QToolButton::clicked, this, &FrmConfigManuelle::BoutonExit_Click);
}

FrmConfigManuelle::~FrmConfigManuelle() {
    Form_Unload();
}

// ---------------------------------------------------------------------------------------------
// Helpers

QString FrmConfigManuelle::exchange(const QString& command) {
    // After the window closed nothing may reopen the port; within one operation a port that
    // cannot be opened is tried (and reported) once.
    if (unloaded_ || portLost_) return {};
    if (!s_.PortOEM.isOpen() && !OuvrirPort(s_)) {
        portLost_ = true;
        return {};
    }
    return EnvoyerCommande(s_, command);
}

bool FrmConfigManuelle::pump() {
    if (s_.processEvents) s_.processEvents();
    return !unloaded_;
}

void FrmConfigManuelle::paint(QWidget* control, bool red) {
    QPalette p = control->palette();
    p.setColor(qobject_cast<QLineEdit*>(control) ? QPalette::Base : QPalette::Window,
               red ? kRed : QColor(Qt::white));
    control->setPalette(p);
}

bool FrmConfigManuelle::isRed(const QWidget* control) const {
    const auto role = qobject_cast<const QLineEdit*>(control) ? QPalette::Base : QPalette::Window;
    return control->palette().color(role) == kRed;
}

double FrmConfigManuelle::boxValue(int i) const {
    return leadingNumber(CW[static_cast<std::size_t>(i)]->text());
}

void FrmConfigManuelle::setBoxText(int i, const QString& text) {
    CW[static_cast<std::size_t>(i)]->setText(text);
}

void FrmConfigManuelle::ActiverBoutonsConfig(bool actif) {
    for (QWidget* b : {static_cast<QWidget*>(BoutonEeprom), static_cast<QWidget*>(BoutonExit),
                       static_cast<QWidget*>(BoutonExporter),
                       static_cast<QWidget*>(BoutonImporter)})
        b->setEnabled(actif);
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool FrmConfigManuelle::Form_Load() {
    ConfigBusy busy(*this);
    if (s_.FenetreActive < 0) {
        // Not opened from its menu entry: close at once, touching nothing.
        loadAborted_ = true;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return false;
    }
    centreOnScreen(this);
    // The language is read as every window does, but this window always shows English.
    ChargerLangueCourante(s_);
    s_.LangueCourante = QStringLiteral("EN");
    const TextLoader texts(s_, kWindow);
    texts.title(this);
    texts.family(grplabel, QStringLiteral("grplabel_"), 0, 38);
    loadTooltip(s_, kWriteSyn, TxtSNU);
    loadTooltips(s_, kWriteSyn, CW);
    loadTooltips(s_, kReadSyn, LabelTxt);
    loadTooltips(s_, kReadSyn, Label);

    // Failure path: the window stays open, reads nothing and shows no message (beyond the
    // port's own error).
    if (!OuvrirPort(s_)) return false;
    if (!EnvoyerCommande(s_, QStringLiteral("PWD=QUILTA"))
             .contains(QLatin1String("PWD!"), Qt::CaseInsensitive))
        return false;
    CWSlide[0]->setRange(kNominalMin, kNominalMax);
    CWSlide[1]->setRange(15, 30);
    CWSlide[2]->setMinimum(0);
    // The slider limits need numbers: anything else is no answer.
    const std::optional<double> im1 = numericAnswer(EnvoyerCommande(s_, QStringLiteral("IM1?")));
    if (!im1) return false;
    CWSlide[2]->setMaximum(*im1);
    CWSlide[3]->setRange(0, 1000);
    CWSlide[4]->setMinimum(0);
    const std::optional<double> im2 = numericAnswer(EnvoyerCommande(s_, QStringLiteral("IM2?")));
    if (!im2) return false;
    CWSlide[4]->setMaximum(*im2);
    CWSlide[5]->setRange(0, 8000);
    CWSlide[6]->setRange(0, 2000);
    CWSlide[7]->setRange(3, 15);
    CWSlide[8]->setRange(1, 10);
    CWSlide[10]->setRange(bound(s_, "TxtIPT_0"), bound(s_, "TxtIPT_1"));
    CWSlide[11]->setRange(bound(s_, "TxtOPT_0"), bound(s_, "TxtOPT_1"));
    const std::optional<double> im2Again =
        numericAnswer(EnvoyerCommande(s_, QStringLiteral("IM2?")));
    if (!im2Again) return false;
    const double lcmMax = *im2Again;
    EcrireIni(s_.generalIni(), kThresholds, QStringLiteral("TxtLCM_1"), plainNumber(lcmMax));
    // In one call: a threshold above the limit leaves the slider movable between them.
    CWSlide[12]->setRange(bound(s_, "TxtLCM_0"), lcmMax);
    CWSlide[13]->setRange(bound(s_, "TxtTCL_0"), bound(s_, "TxtTCL_1"));
    CWSlide[14]->setRange(bound(s_, "TxtTCH_0"), bound(s_, "TxtTCH_1"));

    s_.TempsRafraichissement = std::min<qint32>(s_.TempsRafraichissement, kPollPeriodMax);
    if (s_.Timer) {
        s_.Timer->setRefresh(kCode, [this] { TraiterTopConfig(); });
        s_.Timer->start();
    }
    s_.RafraichissementDemande = true;
    return true;
}

void FrmConfigManuelle::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (loadAborted_) return;
    FermerPort(s_);
    if (s_.Timer) {
        s_.Timer->clearRefresh(kCode);
        s_.Timer->stop();
    } else {
        s_.FenetreActive = AppState::kNoWindow;
    }
}

void FrmConfigManuelle::closeEvent(QCloseEvent* event) {
    Form_Unload();
    handlers_.closing(); // an operation further up the stack may still use the window
    event->accept();
}

void FrmConfigManuelle::BoutonExit_Click() {
    close();
}

// ---------------------------------------------------------------------------------------------
// Poll

void FrmConfigManuelle::TraiterTopConfig() {
    ConfigBusy busy(*this);
    if (s_.RafraichissementDemande) LireParametresCarte(false);
    s_.RafraichissementDemande = false;
    RafraichirConfigManuelle();
    if (unloaded_) return;
    const QDateTime now = currentTime();
    TxtDate->setText(logDateText(now));
    TxtTime->setText(logTimeText(now));
}

void FrmConfigManuelle::RafraichirConfigManuelle() {
    ConfigBusy busy(*this);
    for (std::size_t i = 0; i < Label.size(); ++i) {
        const QString mne = mnemonicOf(Label[i]);
        if (!mne.isEmpty()) {
            // No number (no answer, "xxx" or anything else) shows no value, in red.
            const std::optional<double> n = numericAnswer(exchange(mne + u'?'));
            paint(Label[i], !n);
            Label[i]->setText(n ? plainNumber(*n / operatingScale(int(i))) : QString());
        }
        if (!pump()) return;
    }
}

// ---------------------------------------------------------------------------------------------
// Reading and writing the board

bool FrmConfigManuelle::LireParametresCarte(bool tout) {
    ConfigBusy busy(*this);
    ReadingEntries entries;
    entries.serial = TxtSNU->toolTip();
    for (std::size_t i = 0; i < CW.size(); ++i)
        entries.parameters[i] = CW[i]->toolTip();
    for (std::size_t i = 0; i < LabelTxt.size(); ++i)
        entries.readOnly[i] = LabelTxt[i]->toolTip();
    const BoardReading r =
        lireCarte([this](const QString& command) { return exchange(command); }, entries, tout);
    if (r.serial.status == ReadStatus::Text) TxtSNU->setText(r.serial.answer);
    if (!r.answered()) return false;

    // A value that is not a number keeps its previous text, in red.
    for (std::size_t k = 0; k < CW.size(); ++k) {
        const BoardValue& v = r.parameters[k];
        if (!v.read()) continue;
        paint(CW[k], !v.number);
        held_[k] = v.number.has_value();
        if (v.number) {
            CW[k]->setText(v.text());
            CWSlide[k]->setValue(*v.number);
        }
    }
    capOutputPower();

    paint(LabelTxt[0], false);
    LabelTxt[0]->setText(r.version.answer);
    for (std::size_t i = 1; i < LabelTxt.size(); ++i) {
        const BoardValue& v = r.readOnly[i - 1];
        if (!v.read()) continue;
        paint(LabelTxt[i], !v.number);
        if (v.number) LabelTxt[i]->setText(v.text());
    }

    if (const int mode = int(r.mode.number.value_or(0)); mode > 0) {
        OptionMode[static_cast<std::size_t>(mode - 1)]->setChecked(true);
        s_.ModeAsservissement = static_cast<qint16>(mode);
    }
    return r.ok;
}

// The output-power set point never goes above the nominal power.
void FrmConfigManuelle::capOutputPower() {
    const double nominal = CWSlide[kBoxNominal]->value();
    if (const std::optional<double> capped = cappedOutputPower(boxValue(kBoxOutput), nominal))
        setBoxText(kBoxOutput, plainNumber(*capped));
    CWSlide[kBoxOutput]->setMaximum(nominal);
    CWSlide[kBoxOutput]->setValue(boxValue(kBoxOutput));
}

bool FrmConfigManuelle::EcrireParametresCarte() {
    ConfigBusy busy(*this);
    if (!acknowledged(exchange(modeCommand(1)))) {
        s_.prompts.message(QStringLiteral("Le démarrage du laser a échoué."), windowTitle(),
                           PromptIcon::Critical);
        return false;
    }
    bool ok = true;
    const QString snuMne = mnemonicOf(TxtSNU);
    if (TxtSNU->isEnabled() && !snuMne.isEmpty()) {
        paint(TxtSNU, false);
        if (!acknowledged(exchange(snuMne + u'=' + TxtSNU->text()))) {
            ok = false;
            paint(TxtSNU, true);
        }
    }
    for (int i = 0; i < kParamCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const QString mne = mnemonicOf(CW[k]);
        if (!CW[k]->isEnabled() || mne.isEmpty()) continue;
        if (!held_[k]) {
            // Sending what the box shows would write a value nobody gave (0 for "xxx").
            ok = false;
            paint(CW[k], true);
            continue;
        }
        paint(CW[k], false);
        QString command;
        if (isRamp(mne)) {
            std::optional<qint64> speed = rampSpeed(boxValue(i));
            if (boxValue(i) == 0) {
                setBoxText(i, QStringLiteral("0"));
                CWSlide[k]->setValue(0);
                speed = kRampSpeedForZero;
            }
            if (speed) command = mne + u'=' + QString::number(*speed);
        } else {
            command = writeCommand(mne, boxValue(i) * readScale(mne));
        }
        if (command.isEmpty() || !acknowledged(exchange(command))) {
            ok = false;
            paint(CW[k], true);
        }
    }
    if (s_.ModeAsservissement != 0 &&
        !acknowledged(exchange(modeCommand(s_.ModeAsservissement))))
        return false;
    return ok;
}

void FrmConfigManuelle::EcrireParametre(int i) {
    ConfigBusy busy(*this);
    const auto k = static_cast<std::size_t>(i);
    const QString mne = mnemonicOf(CW[k]);
    if (CW[k]->isEnabled() && !mne.isEmpty()) {
        if (i != kBoxRamp) {
            paint(CW[k], false);
            if (!acknowledged(exchange(writeCommand(mne, boxValue(i) * writeScale(i))))) {
                paint(CW[k], true);
            } else {
                if (i == kBoxLimit2) {
                    CWSlide[kBoxCurrent2]->setMaximum(boxValue(kBoxLimit2));
                    if (boxValue(kBoxCurrent2) > boxValue(kBoxLimit2))
                        setBoxText(kBoxCurrent2, CW[kBoxLimit2]->text());
                }
                CWSlide[k]->setValue(boxValue(i));
            }
        } else if (const std::optional<qint64> speed = rampSpeed(boxValue(i))) {
            paint(CW[k], false);
            if (!acknowledged(exchange(mne + u'=' + QString::number(*speed))))
                paint(CW[k], true);
        }
    }
    if (s_.ModeAsservissement != 0) exchange(modeCommand(s_.ModeAsservissement));
}

// ---------------------------------------------------------------------------------------------
// Operator events

void FrmConfigManuelle::coupleBox(int i) {
    const auto couple = [this](int box, int limitBox) {
        const double limit = boxValue(limitBox);
        if (limit < boxValue(box)) {
            NumericSlider* s = CWSlide[static_cast<std::size_t>(box)];
            s->setMaximum(limit);
            setBoxText(box, intText(limit));
            s->setValue(limit);
        }
    };
    switch (i) {
    case kBoxNominal:
        CWSlide[kBoxOutput]->setMaximum(boxValue(kBoxNominal));
        couple(kBoxOutput, kBoxNominal);
        break;
    case kBoxOutput:
        couple(kBoxOutput, kBoxNominal);
        break;
    case kBoxCurrent1:
        couple(kBoxCurrent1, kBoxLimit1);
        break;
    case kBoxLimit1:
        CWSlide[kBoxCurrent1]->setMaximum(boxValue(kBoxLimit1));
        if (boxValue(kBoxLimit1) < boxValue(kBoxCurrent1)) {
            setBoxText(kBoxCurrent1, CW[kBoxLimit1]->text());
            CWSlide[kBoxCurrent1]->setValue(boxValue(kBoxCurrent1));
        }
        break;
    case kBoxCurrent2:
        couple(kBoxCurrent2, kBoxLimit2);
        break;
    default:
        break;
    }
}

void FrmConfigManuelle::CW_Enter(int i) {
    ConfigBusy busy(*this);
    held_[static_cast<std::size_t>(i)] = true;
    const NumericSlider* s = CWSlide[static_cast<std::size_t>(i)];
    const double v = boxValue(i);
    if (v < s->minimum())
        setBoxText(i, plainNumber(s->minimum()));
    else if (v > s->maximum())
        setBoxText(i, plainNumber(s->maximum()));
    coupleBox(i);
    EcrireParametre(i);
}

void FrmConfigManuelle::CW_LostFocus(int i) {
    if (i == kBoxCurrent1 && boxValue(kBoxCurrent1) > boxValue(kBoxLimit1))
        setBoxText(kBoxCurrent1, CW[kBoxLimit1]->text());
    else if (i == kBoxCurrent2 && boxValue(kBoxCurrent2) > boxValue(kBoxLimit2))
        setBoxText(kBoxCurrent2, CW[kBoxLimit2]->text());
}

// A limit slider lowers the maximum of the set point it bounds (and the set point with it).
void FrmConfigManuelle::coupleLimit(int currentBox, double v) {
    NumericSlider* s = CWSlide[static_cast<std::size_t>(currentBox)];
    s->setMaximum(std::floor(v));
    if (v < boxValue(currentBox)) {
        s->setMaximum(v);
        s->setValue(v);
        setBoxText(currentBox, intText(v));
    }
}

void FrmConfigManuelle::CWSlide_PointerValueChanged(int i, double v) {
    ConfigBusy busy(*this);
    held_[static_cast<std::size_t>(i)] = true;
    switch (i) {
    case kBoxNominal:
        coupleLimit(kBoxOutput, v);
        break;
    case kBoxLimit1:
        coupleLimit(kBoxCurrent1, v);
        break;
    case kBoxLimit2:
        coupleLimit(kBoxCurrent2, v);
        break;
    case kBoxCurrent1:
    case kBoxCurrent2:
    case kBoxOutput:
        coupleBox(i);
        break;
    default:
        break;
    }
    setBoxText(i, intText(v));
    EcrireParametre(i);
}

void FrmConfigManuelle::BoutonImporter_Click() {
    ConfigBusy busy(*this);
    Hourglass wait;
    ActiverBoutonsConfig(false);
    LireParametresCarte(true);
    if (!unloaded_) ActiverBoutonsConfig(true);
}

void FrmConfigManuelle::BoutonExporter_Click() {
    ConfigBusy busy(*this);
    Hourglass wait;
    ActiverBoutonsConfig(false);
    EcrireParametresCarte();
    if (!unloaded_) ActiverBoutonsConfig(true);
}

void FrmConfigManuelle::BoutonEeprom_Click() {
    ConfigBusy busy(*this);
    if (!s_.prompts.askYesNo(QStringLiteral("Voulez-vous écraser les paramètres TAV?"),
                             kEepromTitle, PromptIcon::Information))
        return;
    s_.MotDePasseValide = false;
    {
        FrmMotDePasse password(s_, this);
        password.exec();
    }
    if (!s_.MotDePasseValide || unloaded_) return;
    if (acknowledged(exchange(QStringLiteral("WKP=1"))))
        s_.prompts.message(QStringLiteral("La commande WKP=1 a réussi."), kSaveTitle,
                           PromptIcon::Information);
    else
        s_.prompts.message(QStringLiteral("La commande WKP=1 a échoué."), kSaveTitle,
                           PromptIcon::Critical);
}

void FrmConfigManuelle::BoutonImprimer_Click() {
    FrmImpression preview(s_, report(), this);
    preview.exec();
}

ConfigReport FrmConfigManuelle::report() const {
    auto source = [](const QWidget* w, const QString& text) {
        return ReportSource{w->toolTip(), text};
    };
    std::array<ReportSource, 15> boxes;
    for (std::size_t i = 0; i < CW.size(); ++i)
        boxes[i] = source(CW[i], CW[i]->text());
    std::array<ReportSource, 16> labels;
    for (std::size_t i = 0; i < LabelTxt.size(); ++i)
        labels[i] = source(LabelTxt[i], LabelTxt[i]->text());
    return buildConfigReport(source(TxtSNU, TxtSNU->text()), boxes, labels);
}

void FrmConfigManuelle::BoutonReinitialiser_Click() {
    for (QRadioButton* o : OptionMode) {
        o->setAutoExclusive(false);
        o->setChecked(false);
        o->setAutoExclusive(true);
    }
}

void FrmConfigManuelle::OptionMode_Click(int k) {
    s_.ModeAsservissement = static_cast<qint16>(k + 1);
}

void FrmConfigManuelle::Onglet_Click(int tab) {
    const bool shown = tab != 3;
    BoutonImporter->setVisible(shown);
    BoutonExporter->setVisible(shown);
    BoutonEeprom->setVisible(shown);
}

bool FrmConfigManuelle::eventFilter(QObject* watched, QEvent* event) {
    const auto it = std::find(CW.begin(), CW.end(), watched);
    if (it != CW.end()) {
        const int i = static_cast<int>(it - CW.begin());
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                CW_Enter(i);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // The whole window going to the background (a message box, Alt-Tab) is not
            // leaving the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                CW_LostFocus(i);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tav
