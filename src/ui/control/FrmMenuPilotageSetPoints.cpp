#include "ui/control/FrmMenuPilotage.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/text/Numbers.h"
#include "ui/support/Hourglass.h"
#include "ui/support/Slider.h"
#include "ui/support/Tooltips.h"

#include <QCheckBox>
#include <QLineEdit>

#include <stdexcept>

// The control panel's set points: typed and slid values, the eye-safety limit and the two
// thresholds.

namespace tav {

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
        if (writeAcknowledged(answer)) return true;
        if (channel == 0) {
            if (!CWSlide[0]->isHidden()) setBoxColour(0, BoxColour::Grey);
            return false;
        }
        if (showSetPoint(channel, exchange(mne + u'?'))) return true;
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
        const double minimum = CWSlide[i]->minimum(), maximum = CWSlide[i]->maximum();
        const Bounded b = boundToRange(leadingNumber(text), minimum, maximum);
        if (b.changed) setBoxText(channel, b.value);
        tabs_->setNotice(channel, b.changed ? clampNotice(channel, minimum, maximum) : QString());
        CWSlide[i]->setValue(b.value);
        EcrireConsigne(channel);
    } else {
        // Nothing is sent: the box gets back its value and the colour it had before typing.
        setBoxText(channel, CWSlide[i]->value());
        tabs_->restoreUntypedColour(channel);
        tabs_->setNotice(channel, notNumberNotice());
        Txt[i]->setFocus();
    }
}

void FrmMenuPilotage::CWSlide_PointerValueChanged(int channel, double value) {
    BusyScope busy(*this);
    try {
        const auto i = static_cast<std::size_t>(channel);
        tabs_->setNotice(channel, QString());
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
    std::optional<double> r;
    double divisor = 1;
    if (checked) {
        showEyeSafetyRow(true);
        r = readNumber(QStringLiteral("OPM?"));
        divisor = 10;
    } else {
        showEyeSafetyRow(false);
        const std::optional<double> p = readNumber(QStringLiteral("PON?"));
        // Without a nominal power there is nothing to derive the limit from: sending
        // OPM=5 (0.5 dBm) would clamp the amplifier, so nothing is sent.
        if (p) {
            const double limit = *p + 0.5;
            const QString answer = exchange(QStringLiteral("OPM=") + plainNumber(limit * 10));
            if (writeAcknowledged(answer)) {
                setBoxText(3, limit);
                CWSlide[3]->setValue(limit);
            }
        }
        r = p;
        divisor = 1;
    }
    if (!r) return;
    const double limit = *r / divisor;
    if (limit < boxValue(0)) {
        setBoxText(0, limit);
        CWSlide[0]->setValue(limit);
    }
    const std::optional<double> nominal = readNumber(QStringLiteral("PON?"));
    CWSlide[0]->setMaximum(outputPowerMaximum(limit, nominal));
}

void FrmMenuPilotage::EnvoyerSeuilsCarte() {
    BusyScope busy(*this);
    Hourglass wait;
    for (int channel : {2, 3}) {
        const auto i = static_cast<std::size_t>(channel);
        // "XXX" is no value to send: the board keeps its own.
        if (boxColour(channel) == BoxColour::Unavailable) continue;
        setBoxColour(channel, BoxColour::White);
        const QString mne = mnemonicOf(Txt[i]);
        const QString answer =
            mne.isEmpty() ? QString() : exchange(setPointCommand(mne, Txt[i]->text(), 10));
        if (writeAcknowledged(answer)) continue;
        if (mne.isEmpty() || !showSetPoint(channel, exchange(mne + u'?')))
            setBoxColour(channel, BoxColour::Grey);
        return;
    }
}

void FrmMenuPilotage::BoutonSendToBoard_Click() {
    EnvoyerSeuilsCarte();
}

} // namespace tav
