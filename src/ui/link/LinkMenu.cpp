#include "ui/link/LinkMenu.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/link/BaudRate.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "ui/link/DetectionPanel.h"
#include "ui/link/FrmCommandesManuelles.h"
#include "ui/link/FrmConfigRS232.h"
#include "ui/link/FrmView.h"
#include "ui/link/FrmVisualisationFlux.h"
#include "ui/support/Hourglass.h"
#include "ui/support/WindowPlacement.h"

#include <QDir>
#include <QLabel>
#include <QMenuBar>

namespace tav {

namespace {

const QString kRs232 = QStringLiteral("RS232");
const QString kTitreDetection = QStringLiteral("Baud Rate Detection");

void fermer(QPointer<QWidget>& w) {
    if (w) {
        w->close();
        w->deleteLater();
    }
    w.clear();
}

} // namespace

QString ExecuterDetectionVitesse(AppState& s, DetectionPanel& panneau) {
    Hourglass sablier;
    const QString ini = s.generalIni();
    const QString baudPrecedent = LireIni(ini, kRs232, QStringLiteral("BAUD"));

    panneau.ouvrir();
    QString erreurPort;
    QString erreurStockage;
    const QString vitesse = DetecterVitesse(
        s,
        [&](const QString& libelle) {
            panneau.MessageBaudRate->setText(libelle);
            panneau.placer();
        },
        &erreurPort, [&] { return panneau.annulationDemandee(); }, {}, &erreurStockage);
    panneau.hide();

    NormalCursor curseur;
    if (!erreurStockage.isEmpty()) {
        // Each trial opens the port at the rate stored in BAUD: none could be tried.
        if (LireIni(ini, kRs232, QStringLiteral("BAUD")) != baudPrecedent) {
            IniBatch retour(ini);
            retour.setQuiet(true);
            retour.write(kRs232, QStringLiteral("BAUD"), baudPrecedent);
        }
        s.prompts.message(QStringLiteral("The detection needs to store each trial rate in %1, "
                                         "which cannot be written: %2.")
                              .arg(QDir::toNativeSeparators(ini), erreurStockage),
                          kTitreDetection, PromptIcon::Critical);
        return QString();
    }
    if (vitesse.isEmpty()) {
        EcrireIni(ini, kRs232, QStringLiteral("BAUD"), baudPrecedent);
        // The operator's own cancel needs no message.
        if (panneau.annulationDemandee())
            return QString();
        QString texte = QStringLiteral("Automatic Baud Rate Detection failed.");
        if (!erreurPort.isEmpty())
            texte += QStringLiteral("\n\n") + erreurPort;
        s.prompts.message(texte, kTitreDetection, PromptIcon::Critical);
    } else {
        s.prompts.message(QStringLiteral("Automatic Baud Rate Detection successed (Value : ") +
                              vitesse + QStringLiteral(")."),
                          kTitreDetection, PromptIcon::Information);
    }
    return vitesse;
}

void ExecuterLiaisonSerie(AppState& s, QWidget* parent) {
    const QString ini = s.generalIni();
    const QString avant = LireIni(ini, kRs232, QStringLiteral("PORT"));
    {
        FrmConfigRS232 fenetre(s, parent);
        fenetre.exec();
    }
    const QString apres = LireIni(ini, kRs232, QStringLiteral("PORT"));
    if (avant.compare(apres, Qt::CaseInsensitive) != 0) {
        FermerPort(s);
        OuvrirPort(s);
    }
}

void ExecuterVue(AppState& s, QWidget* parent, QPointer<QWidget>& flux,
                 QPointer<QWidget>& commandes) {
    if (!FrmView::estOuverte()) {
        FrmView fenetre(s, parent);
        fenetre.exec();
    }
    AppliquerCheckOptions(s, parent, flux, commandes);
}

void AppliquerCheckOptions(AppState& s, QWidget* parent, QPointer<QWidget>& flux,
                           QPointer<QWidget>& commandes) {
    const int options = lireCheckOptions(s);
    fermer(flux);
    fermer(commandes);
    if (options & 1) {
        auto* w = new FrmVisualisationFlux(s, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
        placeBeside(w, parent, true);
        w->show();
        flux = w;
    }
    if (options & 2) {
        auto* w = new FrmCommandesManuelles(s, parent);
        w->setAttribute(Qt::WA_DeleteOnClose);
        // Below the menu bar, beside the serial-flow window when there is no room beside ours.
        const auto* bar = parent ? parent->findChild<QMenuBar*>() : nullptr;
        placeBesideWithPartner(w, false, flux, parent,
                               bar ? bar->mapToGlobal(QPoint(0, bar->height())).y() : 0);
        w->show();
        commandes = w;
    }
    if (options & 1)
        s.FluxActif = true;
}

} // namespace tav
