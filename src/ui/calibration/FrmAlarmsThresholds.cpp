#include "ui/calibration/FrmAlarmsThresholds.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/calibration/Calibration.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "core/translation/Texts.h"
#include "ui/calibration/EntryCheck.h"
#include "ui/support/Hourglass.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {

const QString kAppTitle = QStringLiteral("TAV OEM");

} // namespace

FrmAlarmsThresholds::FrmAlarmsThresholds(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmAlarmsThresholds"));
    setWindowTitle(QStringLiteral("Configuration des seuils"));
    setModal(true);

    grpframe = new QGroupBox(QStringLiteral("Liste des seuils"), this);
    grpframe->setObjectName(QStringLiteral("grpframe"));
    auto* rows = new QGridLayout(grpframe);
    rows->setHorizontalSpacing(10);
    std::array<std::array<QLineEdit*, 2>*, 5> arrays{&TxtIPT, &TxtOPT, &TxtLCM, &TxtTCL, &TxtTCH};
    auto* check = new EntryCheck(this, false, [this](QLineEdit* b) {
        for (int i = 0; i < kThresholdCount; ++i)
            if (box(i) == b) Txt_LostFocus(i);
    });
    for (int i = 0; i < kThresholdCount; ++i) {
        const auto u = static_cast<std::size_t>(i);
        auto* label = new QLabel(thresholdBuiltInCaption(i), grpframe);
        label->setObjectName(QStringLiteral("grplabel_%1").arg(i));
        label->setWordWrap(true);
        label->setMinimumWidth(260);
        grplabel[u] = label;
        auto* edit = new QLineEdit(grpframe);
        edit->setObjectName(thresholdKeys()[u]);
        edit->setFixedWidth(72);
        edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*arrays[u / 2])[u % 2] = edit;
        boxes_[u] = edit;
        check->watch(edit);
        // One row per threshold: lower bound on the left, upper bound on the right.
        rows->addWidget(label, i / 2, (i % 2) * 2);
        rows->addWidget(edit, i / 2, (i % 2) * 2 + 1);
    }
    const std::array<const char*, 2> captions{"OK", "Cancel"};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        Bouton[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        Bouton[i]->setObjectName(QStringLiteral("Bouton_%1").arg(i));
        Bouton[i]->setMinimumWidth(90);
        buttons->addWidget(Bouton[i]);
        buttons->addStretch(1); // at one third and two thirds of the width
    }
    Bouton[0]->setAutoDefault(false);
    Bouton[1]->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grpframe);
    layout->addLayout(buttons);
    connect(Bouton[0], &QPushButton::clicked, this, &FrmAlarmsThresholds::Bouton_0_Click);
    connect(Bouton[1], &QPushButton::clicked, this, &FrmAlarmsThresholds::Bouton_1_Click);

    // Load: captions in the current language, stored values as they stand.
    ChargerLangueCourante(s_);
    TextLoader(s_, kThresholdsSection).family(grplabel, QStringLiteral("grplabel_"), 0, 9);
    const QString general = s_.generalIni();
    for (int i = 0; i < kThresholdCount; ++i)
        box(i)->setText(LireIni(general, kThresholdsSection, thresholdKeys()[std::size_t(i)]));
    if (box(kThresholdLcmMax)->text().isEmpty()) box(kThresholdLcmMax)->setText(currentLimit());
    adjustSize();
    centreOnScreen(this);
}

QString FrmAlarmsThresholds::currentLimit() {
    Hourglass wait;
    return currentLimitText(EnvoyerCommande(s_, QStringLiteral("IM2?")));
}

bool FrmAlarmsThresholds::Txt_LostFocus(int i) {
    return acceptNumericBox(s_, box(i), QStringLiteral("Value must be numeric."), kAppTitle);
}

void FrmAlarmsThresholds::Bouton_0_Click() {
    for (int i = 0; i < kThresholdCount; ++i)
        if (!Txt_LostFocus(i)) return;
    const QString general = s_.generalIni();
    for (int i = 0; i < kThresholdCount; ++i)
        EcrireIni(general, kThresholdsSection, thresholdKeys()[std::size_t(i)], box(i)->text());
    accept();
}

void FrmAlarmsThresholds::Bouton_1_Click() {
    const QString key = thresholdKeys()[kThresholdLcmMax];
    const QString general = s_.generalIni();
    if (LireIni(general, kThresholdsSection, key).isEmpty()) {
        const QString limit = currentLimit();
        if (!limit.isEmpty()) EcrireIni(general, kThresholdsSection, key, limit);
    }
    reject();
}

} // namespace tav
