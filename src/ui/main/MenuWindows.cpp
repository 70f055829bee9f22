#include "ui/main/MenuWindows.h"

#include "core/AppState.h"

#include <QLabel>
#include <QWidget>

namespace tav {

QWidget* ouvrirFenetreFlux(AppState&, QWidget*) { return nullptr; }
QWidget* ouvrirFenetreCommandesManuelles(AppState&, QWidget*) { return nullptr; }
QWidget* ouvrirPanneauPilotage(AppState&, QWidget*) { return nullptr; }
void executerConfigRS232(AppState&, QWidget*) {}
void executerSupervision(AppState&, QWidget*) {}
void executerCommandesGet(AppState&, QWidget*) {}
void executerVue(AppState&, QWidget*) {}
void executerDetectionVitesse(AppState&, QLabel&, QWidget&) {}

} // namespace tav
