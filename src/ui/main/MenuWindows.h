#pragma once

class QWidget;

namespace tav {

struct AppState;

// The windows of the main menu's own entries. The modeless control panel is returned;
// modal windows run to their end.
QWidget* ouvrirPanneauPilotage(AppState& s, QWidget* parent);
QWidget* ouvrirConfigManuelle(AppState& s, QWidget* parent);
// The modeless data supervision window.
QWidget* ouvrirSupervisionData(AppState& s, QWidget* parent);
void executerSupervision(AppState& s, QWidget* parent);
void executerCommandesGet(AppState& s, QWidget* parent);

} // namespace tav
