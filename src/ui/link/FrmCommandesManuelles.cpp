#include "ui/link/FrmCommandesManuelles.h"

#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/translation/Texts.h"
#include "ui/support/TextLoader.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace tav {

namespace {

void montrerDerniere(QListWidget* list) {
    if (list->count() > 0)
        list->setCurrentRow(list->count() - 1);
}

} // namespace

FrmCommandesManuelles::FrmCommandesManuelles(AppState& s, QWidget* parent)
    : QWidget(parent, Qt::Window), s_(s) {
    setObjectName(QStringLiteral("FrmCommandesManuelles"));
    setWindowTitle(QStringLiteral("Manuals commands"));

    for (int i = 0; i < 3; ++i) {
        grplabel[i] = new QLabel(this);
        grplabel[i]->setObjectName(QStringLiteral("grplabel_%1").arg(i));
    }
    TxtCommande = new QLineEdit(this);
    TxtCommande->setObjectName(QStringLiteral("TxtCommande"));
    SendList = new QListWidget(this);
    SendList->setObjectName(QStringLiteral("SendList"));
    AnswerList = new QListWidget(this);
    AnswerList->setObjectName(QStringLiteral("AnswerList"));
    BoutonCorbeille = new QPushButton(this);
    BoutonCorbeille->setObjectName(QStringLiteral("BoutonCorbeille"));
    BoutonCorbeille->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    BoutonCorbeille->setToolTip(QStringLiteral("Empty both lists"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(grplabel[0], 0, 0, 1, 2);
    grid->addWidget(TxtCommande, 1, 0, 1, 2);
    grid->addWidget(grplabel[1], 2, 0);
    grid->addWidget(grplabel[2], 2, 1);
    grid->addWidget(SendList, 3, 0);
    grid->addWidget(AnswerList, 3, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(BoutonCorbeille);
    grid->addLayout(bottom, 4, 0, 1, 2);
    resize(520, 320);

    connect(TxtCommande, &QLineEdit::returnPressed, this,
            &FrmCommandesManuelles::TxtCommande_Enter);
    connect(BoutonCorbeille, &QPushButton::clicked, this,
            &FrmCommandesManuelles::BoutonCorbeille_Click);

    chargerTextes();
    // A failure shows the port's own message; typed commands then end in "TIMEOUT".
    OuvrirPort(s_);
}

void FrmCommandesManuelles::chargerTextes() {
    ChargerLangueCourante(s_);
    const TextLoader t(s_, QStringLiteral("FrmCommandesManuelles"));
    t.title(this);
    t.family(grplabel, QStringLiteral("grplabel_"), 0, 2);
}

void FrmCommandesManuelles::TxtCommande_Enter() {
    // A second Enter during the exchange would clear ReponseBrute under the first one.
    if (envoiEnCours_)
        return;
    envoiEnCours_ = true;
    const QString commande = TxtCommande->text().toUpper();
    TxtCommande->setText(commande);

    // Raw answers; an unreadable one is shown with its bytes escaped.
    s_.ReponseBrute = true;
    s_.unprintableAnswers = AppState::Unprintable::Escape;
    const QString reponse = EnvoyerCommande(s_, commande);
    s_.ReponseBrute = false;
    s_.unprintableAnswers = AppState::Unprintable::Discard;
    envoiEnCours_ = false;

    if (reponse.isEmpty()) {
        AnswerList->addItem(QStringLiteral("TIMEOUT"));
    } else if (reponse.contains(u'/')) {
        SendList->addItem(commande + QStringLiteral(" unknown command"));
    } else {
        SendList->addItem(commande + QStringLiteral(" recognized"));
        AnswerList->addItem(reponse);
    }

    TxtCommande->clear();
    montrerDerniere(SendList);
    montrerDerniere(AnswerList);
}

void FrmCommandesManuelles::BoutonCorbeille_Click() {
    SendList->clear();
    AnswerList->clear();
}

void FrmCommandesManuelles::closeEvent(QCloseEvent* event) {
    FermerPort(s_);
    QWidget::closeEvent(event);
}

} // namespace tav
