#include "ui/main/MenuWindows.h"

#include "core/AppState.h"
#include "ui/main/FrmCmdRead.h"
#include "ui/main/FrmSupervision.h"

#include <QLabel>
#include <QWidget>

namespace tav {

QWidget* ouvrirFenetreFlux(AppState&, QWidget*) { return nullptr; }
QWidget* ouvrirFenetreCommandesManuelles(AppState&, QWidget*) { return nullptr; }
QWidget* ouvrirPanneauPilotage(AppState&, QWidget*) { return nullptr; }
void executerConfigRS232(AppState&, QWidget*) {}
void executerSupervision(AppState& s, QWidget* parent) {
    FrmSupervision w(s, parent);
    w.exec();
}
void executerCommandesGet(AppState& s, QWidget* parent) {
    FrmCmdRead w(s, parent);
    w.exec();
}
void executerVue(AppState&, QWidget*) {}
void executerDetectionVitesse(AppState&, QLabel&, QWidget&) {}

} // namespace tav
