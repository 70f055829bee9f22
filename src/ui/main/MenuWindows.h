#pragma once

#include <QPointer>

class QLabel;
class QWidget;

namespace tav {

struct AppState;

// The windows the main menu opens. Modeless ones are returned (null when not available);
// modal ones run to their end.
QWidget* ouvrirFenetreFlux(AppState& s, QWidget* parent);
QWidget* ouvrirFenetreCommandesManuelles(AppState& s, QWidget* parent);
QWidget* ouvrirPanneauPilotage(AppState& s, QWidget* parent);
// Serial-link settings; the port is reopened when its name changed.
void executerLiaisonSerie(AppState& s, QWidget* parent);
void executerSupervision(AppState& s, QWidget* parent);
void executerCommandesGet(AppState& s, QWidget* parent);
// View options: the window (unless one is already open), then both link windows closed and
// opened again from the stored options.
void executerVue(AppState& s, QWidget* parent, QPointer<QWidget>& flux,
                 QPointer<QWidget>& commandes);
void executerDetectionVitesse(AppState& s, QLabel& message, QWidget& mainWindow);

} // namespace tav
