#pragma once

#include "ui/support/HandlerDepth.h"

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

struct AppState;
struct CalibrationDef;

// A photodiode calibration window (modeless): FrmEtalonnagePIN, FrmEtalonnagePOUTPhs1 or
// FrmEtalonnagePOUTPhs2 after the table entry it is built from (its objectName, control names,
// commands, texts and messages). Two points, low (0) and high (1): the operator applies the
// reference power shown, types the power read on the power meter and validates; the window
// writes it in tenths of dBm after "PWD=QUILTA" and reads the photodiode's A/D value.
//
// The menu entry sets FenetreActive to the window code before creating it; the constructor runs
// the load (texts, tooltips, port, references, "ASS=1" and the poll). Closing stops the poll and
// sends "ASS=0"; the port stays open.
class FrmEtalonnage final : public QWidget {
    Q_OBJECT
public:
    FrmEtalonnage(AppState& s, const CalibrationDef& def, QWidget* parent = nullptr);
    ~FrmEtalonnage() override;

    const CalibrationDef& def() const { return def_; }

    // "&Valider" of point 0 (low) or 1 (high).
    void BoutonPoint_Click(int point);
    // Enter in a value box or leaving it: "Veuillez saisir une valeur numérique." for a text
    // that is not a number. True when the text is accepted.
    bool TxtPoint_Check(int point);
    // The poll's work: the boxes of validated points show what the board has stored.
    void TraiterTopEtalonnage();
    void BoutonExit_Click();

    bool pointDone(int point) const { return done_[static_cast<std::size_t>(point)]; }
    bool linkFailed() const { return linkFailed_; }

    // Controls (objectName = name; the point boxes and buttons carry the table's names).
    std::array<QGroupBox*, 2> grpframe{};
    std::array<QLabel*, 5> grplabel{};
    std::array<QLabel*, 3> ReadLabel{};
    std::array<QLineEdit*, 2> TxtPoint{};
    std::array<QPushButton*, 2> BoutonPoint{};
    QPushButton* BoutonExit = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void portFailure();
    void keepReadBack(int point);
    void message(const QString& text, const QString& title = {});
    QString exchange(const QString& command);

    AppState& s_;
    const CalibrationDef& def_;
    std::array<bool, 2> done_{};
    bool linkFailed_ = false;
    bool loadAborted_ = false;
    bool unloaded_ = false;
    HandlerDepth handlers_{*this};
};

} // namespace tav
