#pragma once

#include "ui/control/PanelControls.h"
#include "ui/control/SetPointTabs.h"
#include "ui/support/HandlerDepth.h"

#include <QColor>
#include <QDateTime>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QHBoxLayout;
class QVBoxLayout;

namespace tav {

struct AppState;
class PanelReadings;
class PanelStatus;

// The "Control Panel": control mode by tab (APC, ACC, AAPC, AACC, thresholds), set points with
// boxes and sliders, laser start and stop, input-power threshold and eye-safety limit, warning
// reset, live readings, alarms and warnings refreshed by the poll (window code 5), and the
// measurement log into the "Results" folder.
//
// Modeless. The main window sets FenetreActive to 5 before creating it; the constructor runs the
// load (texts, tooltips, port, serial number, nominal power, laser state, poll start). Closing it
// closes the port, stops the poll and writes the log one last time.
//
// Built from SetPointTabs (tabs and set points), PanelStatus (date, time, laser, link, serial
// number) and PanelReadings (readings, alarms, warnings); the poll's part lives in
// FrmMenuPilotagePoll.cpp, the set-point handlers in FrmMenuPilotageSetPoints.cpp.
class FrmMenuPilotage : public QWidget, public PanelControls {
    Q_OBJECT
public:
    explicit FrmMenuPilotage(AppState& s, QWidget* parent = nullptr);
    ~FrmMenuPilotage() override;

    // Window code served by the poll.
    static constexpr int kCode = 5;

    // Background states of a set-point box.
    using BoxColour = SetPointTabs::BoxColour;

    // ---- Operations ----
    // Sends the set point of the tab's mode when it is to be used, then "ASS=" and the mode
    // value; true when the board acknowledged with "ASS!".
    bool DemarrerLaser(int tab);
    // Formats, bounds and writes channel i; reads the board's value back when refused.
    bool EcrireConsigne(int channel);
    // Writes channels 2 and 3, stopping at the first refusal (read back).
    void EnvoyerSeuilsCarte();
    // Laser status and running mode when the window opens.
    void LirePanneau();
    // Alarm / warning displays; both consume the characters they read.
    void AfficherAlarmes(QString& answer);
    void AfficherAvertissements(QString& answer);
    // The poll's work for this window.
    void RafraichirPanneauComplet();
    void RafraichirEtatPanneau();
    void PreparerFeuilleMesure();
    // Rewrites the log file from the measurement sheet (atomically). False when it failed;
    // the first failure of a series is reported to the operator.
    bool EnregistrerJournal();
    // The tick of window code 5 (registered with the poll).
    void TraiterTopPanneau();

    // ---- Event handlers (also what tests drive) ----
    void OngletPilotage_Click(int tab);
    void BoutonStart_Click();
    void BoutonStop_Click();
    void BoutonWAR_Click();
    void BoutonSendToBoard_Click();
    void BoutonExit_Click();
    void CheckActivateEyeSafety_Click();
    void CheckEnregistrement_Click();
    // Enter in box i (the key-press handler's Enter branch).
    void Txt_Enter(int channel);
    // The operator moved slider i to a new value.
    void CWSlide_PointerValueChanged(int channel, double value);

    // ---- State for the poll, tests and automation ----
    BoxColour boxColour(int channel) const { return tabs_->boxColour(channel); }
    void setBoxColour(int channel, BoxColour colour) { tabs_->setBoxColour(channel, colour); }
    // The notice line under box i ("limited to ...", empty when there is nothing to say).
    QString notice(int channel) const { return tabs_->notice(channel); }
    // Last chosen mode value (0 until the first start).
    qint16 modeValue() const { return modeValeur_; }
    // True when the load found no link and shows only the failure message.
    bool linkFailed() const { return linkFailed_; }
    // Time source for the date, time and log names.
    std::function<QDateTime()> currentTime = [] { return QDateTime::currentDateTime(); };

    static const QString kLinkFailedText;
    // The failure text when the board answered but its answers could not be used.
    QString unreadableAnswersText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    // Lays out again and takes the size the contents ask for.
    void fitToContents();
    void Form_Load();
    void Form_Unload();
    void showLinkFailureLayout();
    void showThresholdsLayout(bool thresholds);
    void showEyeSafetyRow(bool shown);
    void applyEyeSafetyState(bool checked);
    void setReadingRows(int tab);
    // Header row of the measurement sheet for the reading rows as they are now.
    QStringList measureHeader() const;
    // Writes cells from column 1 of a sheet row, growing the sheet first when needed.
    void writeMeasureRow(int row, const QStringList& cells);
    void setAllTabsEnabled(bool enabled, int except = -1);
    void setFramesEnabled();
    QString exchange(const QString& command);
    // The number of a numeric read; none for no answer, "xxx" or anything but a number.
    std::optional<double> readNumber(const QString& command);
    // Box i (and its slider) shows a set point the board answered, divided by the channel's
    // factor; "xxx" shows "XXX" on light red and leaves the slider. False for anything else.
    bool showSetPoint(int channel, const QString& answer);
    // Lets pending events run; false when the window was closed meanwhile (stop at once).
    bool pump();
    bool isGrey(int channel) const { return boxColour(channel) == BoxColour::Grey; }
    // A box whose value is not known (grey, or "XXX"): nothing is sent from it.
    bool isUnknown(int channel) const {
        return isGrey(channel) || boxColour(channel) == BoxColour::Unavailable;
    }
    double boxValue(int channel) const { return tabs_->boxValue(channel); }
    void setBoxText(int channel, double value) { tabs_->setBoxText(channel, value); }
    void mouchard(const QString& prefix, const QString& detail);

    AppState& s_;
    SetPointTabs* tabs_ = nullptr;
    PanelStatus* status_ = nullptr;
    PanelReadings* readings_ = nullptr;
    qint16 modeValeur_ = 0;
    bool linkFailed_ = false;
    qint64 lateMs_ = 0;   // how late the board answered during the load, 0 when in time
    QString unreadable_;  // a numeric read answered with something else ("PON? PON=x")
    bool loadAborted_ = false;
    bool unloaded_ = false;
    bool eyeSafetyLoaded_ = false;
    bool logFailureReported_ = false;
    HandlerDepth handlers_{*this};
    QString alarmText_;
    QString warningText_;

    QWidget* messageRow_ = nullptr;
    QHBoxLayout* topRow_ = nullptr;
    QVBoxLayout* root_ = nullptr;

    friend struct BusyScope;
};

// One running handler of the panel (see HandlerDepth).
struct BusyScope : HandlerDepth::Scope {
    explicit BusyScope(FrmMenuPilotage& w) : HandlerDepth::Scope(w.handlers_) {}
};

} // namespace tav
