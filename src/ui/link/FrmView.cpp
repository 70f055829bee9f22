#include "ui/link/FrmView.h"

#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "core/translation/Texts.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tav {

namespace {
const QString kSection = QStringLiteral("ValueSupervision");
const QString kKey = QStringLiteral("CheckOptions");
} // namespace

int lireCheckOptions(const AppState& s) {
    return static_cast<int>(leadingInteger(LireIni(s.langueIni(), kSection, kKey)) & 3);
}

FrmView::FrmView(AppState& s, QWidget* parent) : QDialog(parent), s_(s) {
    setObjectName(QStringLiteral("FrmView"));
    setWindowTitle(QStringLiteral("View"));
    setModal(true);
    ouverte_ = true;

    const std::array<const char*, 2> captions{"RS232 flow window active",
                                              "Manual command window active"};
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < 2; ++i) {
        CheckOptions[i] = new QCheckBox(QString::fromLatin1(captions[i]), this);
        CheckOptions[i]->setObjectName(QStringLiteral("CheckOptions_%1").arg(i));
        layout->addWidget(CheckOptions[i]);
    }
    BoutonValider = new QPushButton(QStringLiteral("Validate"), this);
    BoutonValider->setObjectName(QStringLiteral("BoutonValider"));
    BoutonExit = new QPushButton(QStringLiteral("Exit"), this);
    BoutonExit->setObjectName(QStringLiteral("BoutonExit"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BoutonValider);
    buttons->addWidget(BoutonExit);
    layout->addLayout(buttons);
    BoutonValider->setDefault(true);

    connect(BoutonValider, &QPushButton::clicked, this, &FrmView::BoutonValider_Click);
    connect(BoutonExit, &QPushButton::clicked, this, &FrmView::BoutonExit_Click);

    adjustSize();
    centreOnScreen(this);

    const int mask = lireCheckOptions(s_);
    for (int i = 0; i < 2; ++i)
        CheckOptions[i]->setChecked((mask & (1 << i)) != 0);

    chargerTextes();
}

FrmView::~FrmView() {
    ouverte_ = false;
}

void FrmView::chargerTextes() {
    ChargerLangueCourante(s_);
    const TextLoader t(s_, QStringLiteral("FrmView"));
    t.family(CheckOptions, QStringLiteral("checkoptions_"), 0, 1);
    t.named({BoutonValider});
}

void FrmView::BoutonValider_Click() {
    int mask = 0;
    for (int i = 0; i < 2; ++i) {
        if (CheckOptions[i]->isChecked())
            mask += 1 << i;
    }
    EcrireIni(s_.langueIni(), kSection, kKey, QString::number(mask));
    accept();
}

void FrmView::BoutonExit_Click() {
    reject();
}

void FrmView::done(int result) {
    ouverte_ = false;
    QDialog::done(result);
}

} // namespace tav
