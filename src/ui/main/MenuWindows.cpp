#include "ui/main/MenuWindows.h"

#include "core/AppState.h"
#include "ui/control/FrmMenuPilotage.h"
#include "ui/link/FrmCommandesManuelles.h"
#include "ui/link/FrmVisualisationFlux.h"
#include "ui/link/LinkMenu.h"
#include "ui/main/FrmCmdRead.h"
#include "ui/main/FrmSupervision.h"

#include <QLabel>
#include <QScreen>
#include <QWidget>

namespace tav {

namespace {

QWidget* modeless(QWidget* w) {
    w->setAttribute(Qt::WA_DeleteOnClose);
    return w;
}

// Beside the main window (right or left), kept on its screen.
QWidget* besideParent(QWidget* w, QWidget* parent, bool right) {
    if (!parent)
        return w;
    w->adjustSize();
    const QRect main = parent->frameGeometry();
    QPoint at = right ? QPoint(main.right() + 8, main.top())
                      : QPoint(main.left() - 8 - w->frameGeometry().width(), main.top());
    if (const QScreen* screen = parent->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - w->width())));
        at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() - w->height())));
    }
    w->move(at);
    return w;
}

} // namespace

QWidget* ouvrirFenetreFlux(AppState& s, QWidget* parent) {
    return besideParent(modeless(new FrmVisualisationFlux(s, parent)), parent, true);
}

QWidget* ouvrirFenetreCommandesManuelles(AppState& s, QWidget* parent) {
    return besideParent(modeless(new FrmCommandesManuelles(s, parent)), parent, false);
}

QWidget* ouvrirPanneauPilotage(AppState& s, QWidget* parent) {
    return modeless(new FrmMenuPilotage(s, parent));
}

void executerLiaisonSerie(AppState& s, QWidget* parent) {
    ExecuterLiaisonSerie(s, parent);
}

void executerSupervision(AppState& s, QWidget* parent) {
    FrmSupervision w(s, parent);
    w.exec();
}

void executerCommandesGet(AppState& s, QWidget* parent) {
    FrmCmdRead w(s, parent);
    w.exec();
}

void executerVue(AppState& s, QWidget* parent, QPointer<QWidget>& flux,
                 QPointer<QWidget>& commandes) {
    ExecuterVue(s, parent, flux, commandes);
}

void executerDetectionVitesse(AppState& s, QLabel& message, QWidget& mainWindow) {
    ExecuterDetectionVitesse(s, message, mainWindow);
}

} // namespace tav
