#include "ui/main/ConfigFileMenu.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/configfile/ConfigFile.h"
#include "ui/main/FrmPrincipale.h"
#include "ui/support/Hourglass.h"

#include <QAction>
#include <QWidget>

namespace tav {

namespace {

QString choisirFichier(AppState& s, const QString& title) {
    return s.prompts.openFileName(title, s.programDir, QString::fromLatin1(kFiltreTexte));
}

} // namespace

void cryptfile_Click(AppState& s) {
    const QString path = choisirFichier(s, QStringLiteral("Crypt File"));
    if (path.isEmpty()) return;
    Hourglass wait;
    CrypterFichier(s, path, captionPrincipale());
}

void DecryptFile_Click(AppState& s) {
    Hourglass wait;
    DecrypterFichier(s, captionPrincipale());
}

void LoadConfigurationFile_Click(AppState& s, QPointer<QWidget>& flux) {
    if (flux) {
        flux->close();
        flux->deleteLater();
        flux.clear();
    }
    s.FluxActif = false; // the flow window is no longer open to show the traffic
    const QString path = choisirFichier(s, QStringLiteral("Load Configuration File"));
    if (path.isEmpty()) {
        s.prompts.message(QStringLiteral("File Name can't be empty."), captionPrincipale(),
                          PromptIcon::Critical);
        return;
    }
    Hourglass wait;
    ChargerFichierConfiguration(s, path, captionPrincipale());
}

void connecterFichiersConfiguration(FrmPrincipale& w, AppState& s) {
    QObject::connect(w.entry(QStringLiteral("cryptfile")), &QAction::triggered, &w,
                     [&s] { cryptfile_Click(s); });
    QObject::connect(w.entry(QStringLiteral("DecryptFile")), &QAction::triggered, &w,
                     [&s] { DecryptFile_Click(s); });
    QObject::connect(w.entry(QStringLiteral("LoadConfigurationFile")), &QAction::triggered, &w,
                     [&w, &s] { LoadConfigurationFile_Click(s, w.fluxWindow); });
}

} // namespace tav
