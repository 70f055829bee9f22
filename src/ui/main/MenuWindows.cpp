#include "ui/main/MenuWindows.h"

#include "ui/config/FrmConfigManuelle.h"
#include "ui/control/FrmMenuPilotage.h"
#include "ui/main/FrmCmdRead.h"
#include "ui/main/FrmSupervision.h"
#include "ui/supervision/FrmSupervisionData.h"

namespace tav {

QWidget* ouvrirPanneauPilotage(AppState& s, QWidget* parent) {
    auto* w = new FrmMenuPilotage(s, parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

QWidget* ouvrirConfigManuelle(AppState& s, QWidget* parent) {
    auto* w = new FrmConfigManuelle(s, parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

QWidget* ouvrirSupervisionData(AppState& s, QWidget* parent) {
    auto* w = new FrmSupervisionData(s, parent);
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

void executerSupervision(AppState& s, QWidget* parent) {
    FrmSupervision w(s, parent);
    w.exec();
}

void executerCommandesGet(AppState& s, QWidget* parent) {
    FrmCmdRead w(s, parent);
    w.exec();
}

} // namespace tav
