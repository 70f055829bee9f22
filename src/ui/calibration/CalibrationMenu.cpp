#include "ui/calibration/CalibrationMenu.h"

#include "core/AppState.h"
#include "core/calibration/Calibration.h"
#include "ui/calibration/FrmAlarmsThresholds.h"
#include "ui/calibration/FrmEtalonnage.h"
#include "ui/calibration/FrmPinMinMax.h"

namespace tav {

void ExecuterBornageSeuils(AppState& s, QWidget* parent) {
    FrmAlarmsThresholds w(s, parent);
    w.exec();
}

QWidget* OuvrirEtalonnage(AppState& s, QWidget* parent, const CalibrationDef& def) {
    s.ReferenceMin = kReferenceMinUnset;
    s.ReferenceMax = kReferenceMaxUnset;
    s.TypeEtalonnage = def.type;
    {
        FrmPinMinMax bounds(s, parent);
        bounds.exec();
    }
    if (!referencesEntered(s.ReferenceMin, s.ReferenceMax)) return nullptr;
    s.FenetreActive = static_cast<qint16>(def.code);
    auto* w = new FrmEtalonnage(s, def, parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

} // namespace tav
