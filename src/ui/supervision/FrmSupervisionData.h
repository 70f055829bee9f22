#pragma once

#include "core/Prompts.h"
#include "core/supervision/Curves.h"
#include "core/supervision/Recorder.h"

#include <QDateTime>
#include <QMainWindow>

#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace tav {

struct AppState;
class Grid;
class SupervisionGraph;
class TabControl;

// "OEM Data Supervision" (modeless): takes a row of measurements from the board every period
// into the sheet, writes every N-th row to a record file in the Supervision folder and draws the
// rows on the Graph tab. The acquisition runs on the window's own 250 ms timer `Horloge`.
class FrmSupervisionData final : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmSupervisionData(AppState& s, QWidget* parent = nullptr);
    ~FrmSupervisionData() override;

    // Start, or ask the running acquisition to stop.
    void Bouton_Click();
    // One step of the acquisition (the timer's tick).
    void Horloge_Timer();
    void save_Click();
    // Redraws item k (0 to 6), or every item for -99.
    void TracerCourbes(int k);
    // Hands the chart the series of the plots changed since it was last drawn.
    void RafraichirGraphe();
    void CheckGraphes_Click(int item);
    void BoutonGraphe_Click();

    bool isRunning() const { return running_; }
    bool linkFailed() const { return linkFailed_; }
    // Record file of the running (or last) acquisition.
    QString recordPath() const { return recorder_.file().path(); }
    const SupervisionCurves& curves() const { return curves_; }
    // The cells of a sheet row, as its record line holds them.
    QStringList rowCells(int row) const;

    // Date and time shown and used in names; the system's by default.
    std::function<QDateTime()> wallClock = [] { return QDateTime::currentDateTime(); };

    qint32 LigneCourante = 0;
    bool ArretDemande = false;

    // Controls (objectName = name).
    TabControl* OngletPrincipal = nullptr;
    std::array<QLabel*, 5> grplabel{};
    QLineEdit* TxtSNU = nullptr;
    QLineEdit* TxtFrequenceAcquisition = nullptr;
    QLineEdit* TxtModEnreg = nullptr;
    QLineEdit* TxtExtension = nullptr;
    QLabel* NomFichier = nullptr;
    QPushButton* Bouton = nullptr;
    Grid* vaSpread = nullptr;
    QLabel* Message = nullptr;
    QTimer* Horloge = nullptr;
    QMenu* File = nullptr;
    QAction* save = nullptr;
    QAction* exit = nullptr;
    SupervisionGraph* CWGraphAppareil = nullptr;
    QGroupBox* grpframe_1 = nullptr;
    std::array<QCheckBox*, kCurveCount> CheckGraphes{};
    QPushButton* BoutonGraphe = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QWidget* buildGraphTab();
    void Form_Load();
    void Form_Unload();
    void setSettingsEnabled(bool enabled);
    bool start();
    void endAcquisition();
    // Takes the due row; false when the acquisition is to end in this tick.
    bool takeRow(qint64 nowS);
    void message(const QString& text, PromptIcon icon);
    qint64 elapsedSeconds() const;

    AppState& s_;
    SupervisionRecorder recorder_;
    SupervisionCurves curves_;
    std::array<bool, kCurveCount> stale_{};
    QTimer* graphTimer_ = nullptr;
    std::array<QString, 2> msg_; // "msg_0", "msg_1"
    bool running_ = false;
    bool linkFailed_ = false;
    bool ticking_ = false;
    bool closePending_ = false;
    bool unloaded_ = false;
};

} // namespace tav
