#include "ui/control/FrmMenuPilotage.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/control/MeasurementLog.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"
#include "ui/control/Lamp.h"
#include "ui/control/PanelReadings.h"
#include "ui/control/PanelStatus.h"
#include "ui/support/Grid.h"
#include "ui/support/Slider.h"
#include "ui/support/Tooltips.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

// The control panel's part of the poll (window code 5) and its measurement log.

namespace tav {

namespace {

const QString kThresholds = QStringLiteral("FrmAlarmsThresholds");

} // namespace

// ---------------------------------------------------------------------------------------------
// Alarms and warnings

void FrmMenuPilotage::AfficherAlarmes(QString& answer) {
    const LampStates states = decodeAlarms(answer);
    for (int i = 0; i < kLampCount; ++i) {
        if (const auto& st = states[static_cast<std::size_t>(i)]) readings_->setAlarmLamp(i, *st);
    }
    if (answer.size() >= 2) answer = answer.right(1);
}

void FrmMenuPilotage::AfficherAvertissements(QString& answer) {
    const LampStates states = decodeWarnings(answer);
    for (int i = 0; i < kLampCount; ++i) {
        if (const auto& st = states[static_cast<std::size_t>(i)]) readings_->setWarningLamp(i, *st);
    }
    answer = answer.size() >= 4 ? answer.left(answer.size() - 4) : QString();
}

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

    // Output-power limit. Limits and scales need numbers: anything else is no answer.
    std::optional<double> limitAnswer;
    double divisor = 1;
    if (CheckActivateEyeSafety->isChecked()) {
        limitAnswer = readNumber(QStringLiteral("OPM?"));
        divisor = 10;
        if (!limitAnswer) return failed();
    } else {
        limitAnswer = readNumber(QStringLiteral("PON?"));
        if (!limitAnswer) return failed();
        if (boxValue(0) > *limitAnswer) {
            Txt[0]->setText(plainNumber(*limitAnswer));
            CWSlide[0]->setValue(*limitAnswer);
        }
    }
    const double limit = *limitAnswer / divisor;

    // Output-power set point and its scale; a set point shows its number or "XXX".
    const QString sop = exchange(mnemonicOf(Txt[0]) + u'?');
    if (!numericAnswer(sop) && !isNotAvailable(sop)) return failed();
    CWSlide[0]->setRange(0, limit + 0.5);
    const std::optional<double> nominal = readNumber(QStringLiteral("PON?"));
    CWSlide[0]->setMaximum(outputPowerMaximum(limit, nominal));
    showSetPoint(0, sop);
    CWSlide[0]->setMajorDivisions(10);

    // Diode current.
    const std::optional<double> im2 = readNumber(QStringLiteral("IM2?"));
    if (!im2) return failed();
    const double maxCurrent = *im2 / 1000;
    CWSlide[1]->setRange(0, maxCurrent);
    CWSlide[1]->setMajorDivisions(std::max(1, static_cast<int>(std::floor(maxCurrent))));
    if (!isGrey(1) && !showSetPoint(1, exchange(mnemonicOf(Txt[1]) + u'?'))) return failed();

    // Power-limit scale; its upper bound is kept for the thresholds window.
    const QString pon = exchange(QStringLiteral("PON?"));
    const std::optional<double> nominalAgain = numericAnswer(pon);
    if (!nominalAgain) return failed();
    CWSlide[3]->setRange(leadingNumber(LireIni(general, kThresholds, QStringLiteral("TxtOPT_0"))),
                         *nominalAgain + 0.5);
    EcrireIni(general, kThresholds, QStringLiteral("TxtOPT_1"), pon);

    // Thresholds.
    for (int channel : {2, 3}) {
        const auto i = static_cast<std::size_t>(channel);
        if (!showSetPoint(channel, exchange(mnemonicOf(Txt[i]) + u'?'))) return failed();
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
        // A value that is neither a number nor "xxx" is no answer: the link lamp tells.
        const bool unavailable = isNotAvailable(answer);
        const std::optional<double> number = numericAnswer(answer);
        if (!unavailable && !number) {
            Voyant->setColor(kLightRed);
            if (!pump()) return;
            readFailed = true;
            break;
        }
        const std::optional<int> divisor = readingDivisor(i, tab);
        if (!divisor) {
            // Power and current rows mean nothing on the thresholds tab: still read (the link
            // lamp tells), but shown as they were.
            readings_->setReading(i, QString(), false);
            continue;
        }
        // Every row, the power-limit one included, is shown white again once its value is back;
        // nothing else would clear the light red of an "XXX".
        if (unavailable)
            readings_->setReading(i, QStringLiteral("XXX"), true);
        else
            readings_->setReading(i, plainNumber(*number / *divisor), false);
    }
    if (readFailed) {
        for (int i = 0; i < 5; ++i)
            ReadLabel[static_cast<std::size_t>(i)]->clear();
        status_->clearStatus();
        readings_->resetAlarmLamps();
        return;
    }

    Voyant->setColor(kLightGreen);
    const QString alarms = exchange(QStringLiteral("ALA?"));
    if (alarms.isEmpty()) {
        Voyant->setColor(kLightRed);
        if (!pump()) return;
        status_->clearStatus();
        readings_->resetAlarmLamps();
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
    status_->setStatus(exchange(QStringLiteral("STS?")));
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

