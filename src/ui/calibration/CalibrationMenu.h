#pragma once

class QWidget;

namespace tav {

struct AppState;
struct CalibrationDef;

// Handlers of the main window's calibration and threshold-bounds entries.

// "Bornage des seuils" (ValeursMinMaxThresholds): FrmAlarmsThresholds modal.
void ExecuterBornageSeuils(AppState& s, QWidget* parent);

// A calibration entry (Puissancedentree, Puissancedesortiephs1, Puissancedesortiephs2):
// references preset to 999 / -999 and TypeEtalonnage set, FrmPinMinMax modal, then, when both
// references were entered, FenetreActive set to the window code and the calibration window
// created (modeless, deleted when closed; the caller shows it). Null when it does not open.
QWidget* OuvrirEtalonnage(AppState& s, QWidget* parent, const CalibrationDef& def);

} // namespace tav
