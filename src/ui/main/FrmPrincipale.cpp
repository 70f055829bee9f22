#include "ui/main/FrmPrincipale.h"

#include "core/AppState.h"
#include "core/calibration/Calibration.h"
#include "core/Prompts.h"
#include "core/link/Exchange.h"
#include "core/link/SerialPort.h"
#include "core/settings/ExchangeSettings.h"
#include "core/settings/Ini.h"
#include "core/settings/SettingsCheck.h"
#include "core/settings/Variant.h"
#include "ui/about/FrmAPropos.h"
#include "ui/calibration/CalibrationMenu.h"
#include "ui/download/DownloadWindow.h"
#include "ui/link/DetectionPanel.h"
#include "ui/link/LinkMenu.h"
#include "ui/main/ConfigFileMenu.h"
#include "ui/main/MenuWindows.h"
#include "ui/support/Hourglass.h"
#include "ui/support/SettingsReport.h"
#include "ui/support/TextLoader.h"
#include "ui/support/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace tav {

namespace {

// The menu tree in menu order. parent "" is the bar itself; key "" means no text in "langue.ini".
struct MenuDef {
    const char* name;
    const char* parent;
    const char* caption; // design caption, UTF-8
    const char* key;
    bool submenu;
    bool shownAtStart;
};

constexpr MenuDef kMenu[] = {
    {"Fichier", "", "Fichier", "fichier", true, true},
    {"Imprimer", "Fichier", "Imprimer", "imprimer", false, false},
    {"Deconnecter", "Fichier", "Déconnecter", "deconnecter", false, false},
    {"Quitter", "Fichier", "Quitter", "quitter", false, true},
    {"Pilotage", "", "Pilotage", "pilotage", true, true},
    {"ChoixAsservissement", "Pilotage", "Choix Asservissement", "choixasservissement", false, true},
    {"Parametrage", "", "Paramétrage", "parametrage", true, true},
    {"Liaisonserie", "Parametrage", "Liaison série", "liaisonserie", false, true},
    {"Supervision", "Parametrage", "Supervision", "supervision", false, false},
    {"Configuration", "", "Configuration", "configuration", false, false},
    {"Etalonnage", "", "Etalonnage", "etalonnage", true, false},
    {"Puissancedentree", "Etalonnage", "Puissance d'entrée", "puissancedentree", false, true},
    {"Puissancedesortiephs1", "Etalonnage", "Puissance de sortie Phs 1", "", false, true},
    {"Puissancedesortiephs2", "Etalonnage", "Puissance de sortie Phs 2", "", false, true},
    {"view", "", "View", "View", false, true},
    {"outils", "", "Outils", "outils", true, true},
    {"commandesget", "outils", "Commandes GET", "commandesget", false, false},
    {"t1", "outils", "-", "", false, false},
    {"SuperviserData", "outils", "Superviser Data", "superviserdata", false, true},
    {"t4", "outils", "-", "", false, true},
    {"MenuLoadHexFile", "outils", "Load Hex File", "MenuLoadHexFile", false, false},
    {"t5", "outils", "-", "", false, false},
    {"ReloadVantrelParameters", "outils", "Reload TAV Parameters", "", false, true},
    {"t6", "outils", "-", "", false, true},
    {"baudrate", "outils", "Automatic Baud Rate Detection", "", false, true},
    {"t7", "outils", "-", "", false, true},
    {"LoadConfigurationFile", "outils", "Load Configuration File", "", false, true},
    {"t8", "outils", "-", "", false, false},
    {"cryptfile", "outils", "Crypt File", "", false, false},
    {"t9", "outils", "-", "", false, false},
    {"DecryptFile", "outils", "Decrypt File", "", false, true},
    {"t10", "outils", "-", "", false, false},
    {"Passerlesoftenmodeclient", "outils", "Passer le soft en mode client", "", false, false},
    {"Affichage", "", "Affichage", "", true, false},
    {"ValeursMinMaxThresholds", "Affichage", "Bornage des seuils", "", false, true},
    {"Menuapropos", "", "?", "", false, true},
};

bool menuSeparator(const MenuDef& d) {
    return qstrcmp(d.caption, "-") == 0;
}

} // namespace

QString captionPrincipale() {
    return QStringLiteral("TAV OEM V %1.%2%3")
        .arg(TAV_VERSION_MAJOR)
        .arg(TAV_VERSION_MINOR)
        .arg(TAV_VERSION_PATCH);
}

FrmPrincipale::FrmPrincipale(AppState& s, QWidget* parent)
    : QMainWindow(parent), Timer(s), s_(s) {
    setObjectName(QStringLiteral("FrmPrincipale"));
    s_.Timer = &Timer;
    Timer.setObjectName(QStringLiteral("Timer"));

    Fond = new QLabel(this);
    Fond->setObjectName(QStringLiteral("Fond"));
    Fond->setAlignment(Qt::AlignCenter);
    Fond->setText(QStringLiteral("<div style='color:#1d4e89;font-size:28pt;font-weight:600'>TAV OEM</div>"
                                 "<div style='color:#5a6b7d;font-size:11pt'>Erbium-doped fibre amplifier</div>"));
    Fond->setStyleSheet(QStringLiteral(
        "QLabel#Fond { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
        " stop:0 #f4f8fc, stop:1 #d7e3f0); }"));
    setCentralWidget(Fond);

    PanneauDetection = new DetectionPanel(this);
    MessageBaudRate = PanneauDetection->MessageBaudRate;

    buildMenus();
}

FrmPrincipale::~FrmPrincipale() {
    if (s_.Timer == &Timer)
        s_.Timer = nullptr;
}

void FrmPrincipale::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);
    for (const MenuDef& d : kMenu) {
        const QString name = QString::fromLatin1(d.name);
        const QString caption = QString::fromUtf8(d.caption);
        QMenu* parentMenu = *d.parent ? menus_.value(QString::fromLatin1(d.parent)) : nullptr;
        QAction* action = nullptr;
        if (d.submenu) {
            QMenu* menu = parentMenu ? parentMenu->addMenu(caption) : bar->addMenu(caption);
            menu->setObjectName(name);
            menus_.insert(name, menu);
            action = menu->menuAction();
        } else if (menuSeparator(d)) {
            action = parentMenu->addSeparator();
        } else {
            action = parentMenu ? parentMenu->addAction(caption) : bar->addAction(caption);
        }
        action->setObjectName(name);
        action->setVisible(d.shownAtStart);
        entries_.insert(name, action);
        order_ << name;
    }
    entry(QStringLiteral("Imprimer"))->setEnabled(false);
    entry(QStringLiteral("Deconnecter"))->setEnabled(false);

    const auto on = [this](const char* name, void (FrmPrincipale::*handler)()) {
        connect(entry(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("Quitter", &FrmPrincipale::Quitter_Click);
    on("ChoixAsservissement", &FrmPrincipale::ChoixAsservissement_Click);
    on("Configuration", &FrmPrincipale::Configuration_Click);
    on("Liaisonserie", &FrmPrincipale::Liaisonserie_Click);
    on("Supervision", &FrmPrincipale::Supervision_Click);
    on("view", &FrmPrincipale::view_Click);
    on("commandesget", &FrmPrincipale::commandesget_Click);
    on("baudrate", &FrmPrincipale::baudrate_Click);
    on("ReloadVantrelParameters", &FrmPrincipale::ReloadVantrelParameters_Click);
    on("Passerlesoftenmodeclient", &FrmPrincipale::Passerlesoftenmodeclient_Click);
    on("ValeursMinMaxThresholds", &FrmPrincipale::ValeursMinMaxThresholds_Click);
    on("SuperviserData", &FrmPrincipale::SuperviserData_Click);
    on("MenuLoadHexFile", &FrmPrincipale::MenuLoadHexFile_Click);
    for (const CalibrationDef& d : calibrationDefs())
        connect(entry(QString::fromLatin1(d.menuEntry)), &QAction::triggered, this,
                [this, code = d.code] { Etalonnage_Click(code); });
    connecterFichiersConfiguration(*this, s_);
    connect(entry(QStringLiteral("Menuapropos")), &QAction::triggered, this,
            [this] { ouvrirAPropos(s_, this, [this] { MontrerEntreesUsine(); }); });
}

QAction* FrmPrincipale::entry(const QString& name) const {
    return entries_.value(name);
}

QMenu* FrmPrincipale::submenu(const QString& name) const {
    return menus_.value(name);
}

QStringList FrmPrincipale::visibleEntries() const {
    QStringList out;
    for (const MenuDef& d : kMenu) {
        const QString name = QString::fromLatin1(d.name);
        // An entry shows when it and every menu above it are visible.
        bool shown = entry(name)->isVisible();
        for (QString p = QString::fromLatin1(d.parent); shown && !p.isEmpty();) {
            shown = entry(p)->isVisible();
            const MenuDef* pd = nullptr;
            for (const MenuDef& e : kMenu)
                if (p == QLatin1String(e.name))
                    pd = &e;
            p = pd ? QString::fromLatin1(pd->parent) : QString();
        }
        if (shown)
            out << name;
    }
    return out;
}

void FrmPrincipale::setEntriesVisible(std::initializer_list<const char*> names, bool visible) {
    for (const char* n : names)
        if (QAction* a = entry(QString::fromLatin1(n)))
            a->setVisible(visible);
    // The bar cannot wrap: more entries than the width shows would fold behind a chevron.
    const int needed = menuBar()->sizeHint().width();
    if (needed > width())
        widenAboutCentre(this, needed);
}

void FrmPrincipale::Form_Load(std::optional<QString> damaged) {
    // Checked before anything writes into the settings (the language is written back below).
    if (!damaged)
        damaged = damagedSettingsMessage(s_.programDir);
    // 1. Caption.
    setWindowTitle(captionPrincipale());
    // Settings that cannot be saved are reported once for each operator action that failed to.
    new SettingsFailureReport(s_, captionPrincipale(), this);
    // 2, 3 and 7. Default settings and texts on a first start; a new language file resets the
    // installation to the customer variant.
    prepareSettingsFiles(s_.programDir);
    // 4. Factory entries hidden.
    setEntriesVisible({"Configuration", "Etalonnage", "commandesget", "t5", "Supervision", "t8",
                       "cryptfile", "t9", "Affichage", "Passerlesoftenmodeclient", "t10"},
                      false);
    // 5. ... and shown again in the internal variant.
    if (VarianteUsine(s_.programDir))
        MontrerEntreesUsine();
    // 6. A quarter of the screen, centred.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        // Wide enough for the whole menu bar, which here cannot wrap onto a second line.
        resize(qMax(area.width() / 4, menuBar()->sizeHint().width()), area.height() / 4);
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
    // 8. Language.
    const QString vs = QStringLiteral("ValueSupervision");
    s_.LangueCourante = LireIni(s_.langueIni(), vs, QStringLiteral("Langue"));
    if (s_.LangueCourante.isEmpty())
        s_.LangueCourante = QStringLiteral("En");
    if (QFile::exists(s_.langueIni())) // no stub without texts when the defaults failed
        EcrireIni(s_.langueIni(), vs, QStringLiteral("Langue"), s_.LangueCourante);
    // 9. Menu texts.
    chargerTextesMenu();
    // 10. Serial-flow and manual-command windows.
    AppliquerCheckOptions(s_, this, fluxWindow, manualCommandWindow);
    // 11-13. Communication settings.
    ChargerReglagesEchange(s_);

    if (!damaged->isEmpty())
        s_.prompts.message(*damaged, captionPrincipale(), PromptIcon::Critical);
}

void FrmPrincipale::MontrerEntreesUsine() {
    setEntriesVisible({"t1", "SuperviserData", "Configuration", "Supervision", "Etalonnage",
                       "commandesget", "t8", "cryptfile", "t9", "DecryptFile", "Affichage",
                       "Passerlesoftenmodeclient", "t10"},
                      true);
}

void FrmPrincipale::chargerTextesMenu() {
    const TextLoader texts(s_, QStringLiteral("FrmPrincipale"));
    const TextLoader english(s_.langueIni(), QStringLiteral("FrmPrincipaleEn"));
    for (const MenuDef& d : kMenu) {
        if (!*d.key)
            continue;
        const QString name = QString::fromLatin1(d.name);
        const TextLoader& from = name == QLatin1String("MenuLoadHexFile") ? english : texts;
        from.caption(entry(name), QString::fromLatin1(d.key));
    }
}

void FrmPrincipale::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (PanneauDetection->isVisible())
        PanneauDetection->placer();
}

void FrmPrincipale::SuperviserData_Click() {
    if (supervisionDataWindow) {
        supervisionDataWindow->raise();
        supervisionDataWindow->activateWindow();
        return;
    }
    Hourglass wait;
    supervisionDataWindow = ouvrirSupervisionData(s_, this);
    supervisionDataWindow->show();
}

void FrmPrincipale::MenuLoadHexFile_Click() {
    executerTelechargement(s_, this);
}

void FrmPrincipale::ChoixAsservissement_Click() {
    Hourglass wait;
    s_.FenetreActive = 5;
    if (controlPanelWindow) {
        controlPanelWindow->raise();
        controlPanelWindow->activateWindow();
        return;
    }
    controlPanelWindow = ouvrirPanneauPilotage(s_, this);
    if (controlPanelWindow)
        controlPanelWindow->show();
}

void FrmPrincipale::Configuration_Click() {
    Hourglass wait;
    s_.FenetreActive = 6;
    if (manualConfigWindow) {
        manualConfigWindow->raise();
        manualConfigWindow->activateWindow();
        return;
    }
    manualConfigWindow = ouvrirConfigManuelle(s_, this);
    if (manualConfigWindow)
        manualConfigWindow->show();
}

void FrmPrincipale::Liaisonserie_Click() {
    ExecuterLiaisonSerie(s_, this);
}

void FrmPrincipale::Supervision_Click() {
    executerSupervision(s_, this);
}

void FrmPrincipale::commandesget_Click() {
    executerCommandesGet(s_, this);
}

void FrmPrincipale::view_Click() {
    ExecuterVue(s_, this, fluxWindow, manualCommandWindow);
}

void FrmPrincipale::baudrate_Click() {
    ExecuterDetectionVitesse(s_, *PanneauDetection);
}

bool FrmPrincipale::RechargerParametresUsine() {
    if (!s_.PortOEM.isOpen() && !OuvrirPort(s_))
        return false;
    return EnvoyerCommande(s_, QStringLiteral("RVP")).contains(u'!');
}

void FrmPrincipale::ReloadVantrelParameters_Click() {
    const QString title = QStringLiteral("Reload TAV Parameters");
    if (!s_.prompts.askYesNo(
            QStringLiteral("You are changing DEVICE CONFIGURATION. Do you continue?"), title,
            PromptIcon::Critical))
        return;
    Hourglass wait;
    if (!RechargerParametresUsine())
        s_.prompts.message(QStringLiteral("Reload TAV Parameters failed."), title,
                           PromptIcon::Critical);
}

void FrmPrincipale::Passerlesoftenmodeclient_Click() {
    QFile::remove(s_.fichIni());
    setEntriesVisible({"Configuration", "Etalonnage", "commandesget", "t1", "t5", "SuperviserData",
                       "Supervision", "t8", "cryptfile", "t9", "Affichage",
                       "Passerlesoftenmodeclient", "t10"},
                      false);
}

void FrmPrincipale::ValeursMinMaxThresholds_Click() {
    ExecuterBornageSeuils(s_, this);
}

void FrmPrincipale::Etalonnage_Click(int code) {
    // One calibration at a time: the open one is brought forward.
    if (calibrationWindow) {
        calibrationWindow->raise();
        calibrationWindow->activateWindow();
        return;
    }
    // The poll serves one window at a time, and a calibration runs the board in its own mode.
    if (controlPanelWindow || manualConfigWindow) {
        s_.prompts.message(
            QStringLiteral("Close the Control Panel and the manual configuration window before "
                           "calibrating a photodiode: they use the board's refresh and mode."),
            QStringLiteral("Calibration"), PromptIcon::Information);
        return;
    }
    if (const CalibrationDef* def = calibrationByCode(code)) {
        calibrationWindow = OuvrirEtalonnage(s_, this, *def);
        if (calibrationWindow)
            calibrationWindow->show();
    }
}

void FrmPrincipale::Quitter_Click() {
    close();
}

void FrmPrincipale::closeEvent(QCloseEvent* event) {
    // Unloading: the manual-command and manual-configuration windows first, then the program.
    if (manualCommandWindow)
        manualCommandWindow->close();
    if (manualConfigWindow)
        manualConfigWindow->close();
    Timer.stop();
    event->accept();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace tav
