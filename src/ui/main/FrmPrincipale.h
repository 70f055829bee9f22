#pragma once

#include "core/poll/Poll.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace tav {

struct AppState;
class DetectionPanel;

// The start-up window: menu bar, poll timer, installation variant.
class FrmPrincipale : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmPrincipale(AppState& s, QWidget* parent = nullptr);
    ~FrmPrincipale() override;

    // Runs the start-up steps (the window's load). Called once, before show().
    // `damaged`: the damaged-settings message taken before the program's options wrote into the
    // settings (tavoem's --port); by default the check runs here.
    void Form_Load(std::optional<QString> damaged = std::nullopt);

    // A menu entry by its name ("Quitter", "t1", "Etalonnage"...); submenus give their action.
    QAction* entry(const QString& name) const;
    QMenu* submenu(const QString& name) const;
    // Names of the entries an operator sees, in menu order.
    QStringList visibleEntries() const;

    // Shows the factory entries (internal variant; t5 and MenuLoadHexFile stay hidden).
    void MontrerEntreesUsine();

    // Sends "RVP"; true when the board acknowledged with "!".
    bool RechargerParametresUsine();

    Poll Timer;
    QLabel* Fond;
    DetectionPanel* PanneauDetection;
    QLabel* MessageBaudRate; // the panel's caption

    // Modeless windows opened from here (null when closed).
    QPointer<QWidget> fluxWindow;
    QPointer<QWidget> manualCommandWindow;
    QPointer<QWidget> controlPanelWindow;
    QPointer<QWidget> manualConfigWindow;
    QPointer<QWidget> calibrationWindow;
    QPointer<QWidget> supervisionDataWindow;

    // Menu handlers.
    void ChoixAsservissement_Click();
    void Configuration_Click();
    void Liaisonserie_Click();
    void Supervision_Click();
    void view_Click();
    void commandesget_Click();
    void baudrate_Click();
    void ReloadVantrelParameters_Click();
    void Passerlesoftenmodeclient_Click();
    void ValeursMinMaxThresholds_Click();
    // One of the three calibration entries, by its window code (1, 2, 3).
    void Etalonnage_Click(int code);
    void SuperviserData_Click();
    void MenuLoadHexFile_Click();
    void Quitter_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void chargerTextesMenu();
    void setEntriesVisible(std::initializer_list<const char*> names, bool visible);

    AppState& s_;
    QHash<QString, QAction*> entries_;
    QHash<QString, QMenu*> menus_;
    QStringList order_;
};

// Window caption: "TAV OEM V " + major "." minor revision.
QString captionPrincipale();

} // namespace tav
