#pragma once

#include "ui/support/HandlerDepth.h"

#include <QColor>
#include <QDateTime>
#include <QWidget>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tav {

struct AppState;
struct ConfigReport;
class NumericSlider;
class TabControl;

// The "Manual configuration" window: every board parameter beside its slider, read from the
// board (Import), written one at a time as the operator changes it, written all together
// (Send), saved into the board's EEPROM ("WKP=1" behind the password), the control mode, the
// read-only calibration values and the operating values refreshed by the poll (window code 6).
//
// Modeless. The main window sets FenetreActive to 6 before creating it; the constructor runs the
// opening (texts, tooltips, port, password, slider ranges, poll start). When the opening fails
// the window stays open but inert. Closing it closes the port and stops the poll.
class FrmConfigManuelle : public QWidget {
    Q_OBJECT
public:
    explicit FrmConfigManuelle(AppState& s, QWidget* parent = nullptr);
    ~FrmConfigManuelle() override;

    static constexpr int kCode = 6;

    // ---- Operations ----
    // Reads every parameter into the window; with tout false it stops at the first parameter
    // without answer. True when the serial number, version, parameters and mode all answered.
    bool LireParametresCarte(bool tout);
    // Writes every parameter; a box whose last read gave no number ("xxx") and that nothing
    // was entered into since is not sent but painted red. True when every box was written and
    // accepted.
    bool EcrireParametresCarte();
    // Writes box i, then "ASS=" with the mode when one is known.
    void EcrireParametre(int i);
    void ActiverBoutonsConfig(bool actif);
    // Operating values (Label 0..6).
    void RafraichirConfigManuelle();
    // The tick of window code 6 (registered with the poll).
    void TraiterTopConfig();
    // What the printed report shows: the values this window holds now.
    ConfigReport report() const;

    // ---- Event handlers (also what tests drive) ----
    void CW_Enter(int i);
    void CW_LostFocus(int i);
    void CWSlide_PointerValueChanged(int i, double value);
    void BoutonImporter_Click();
    void BoutonExporter_Click();
    void BoutonEeprom_Click();
    void BoutonImprimer_Click();
    void BoutonReinitialiser_Click();
    void OptionMode_Click(int k);
    void BoutonExit_Click();
    void Onglet_Click(int tab);

    // True when the opening found no usable link: nothing is read or written.
    bool inert() const { return inert_; }
    // Red after a failed exchange, white otherwise.
    bool isRed(const QWidget* control) const;
    std::function<QDateTime()> currentTime = [] { return QDateTime::currentDateTime(); };

    static const QColor kRed;

    // ---- Controls (objectName = name, arrays Name_i) ----
    TabControl* Onglet = nullptr;
    std::array<QGroupBox*, 9> grpframe{};
    QLineEdit* TxtSNU = nullptr;
    std::array<QLineEdit*, 15> CW{};
    std::array<NumericSlider*, 15> CWSlide{};
    std::array<QLabel*, 16> LabelTxt{};
    std::array<QLabel*, 7> Label{};
    std::array<QLabel*, 39> grplabel{};
    std::array<QRadioButton*, 4> OptionMode{};
    QPushButton* BoutonReinitialiser = nullptr;
    QPushButton* BoutonImporter = nullptr;
    QPushButton* BoutonExporter = nullptr;
    QToolButton* BoutonEeprom = nullptr;
    QToolButton* BoutonImprimer = nullptr;
    QToolButton* BoutonExit = nullptr;
    QLineEdit* TxtDate = nullptr;
    QLineEdit* TxtTime = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    bool Form_Load();
    void Form_Unload();
    QString exchange(const QString& command);
    bool pump();
    void paint(QWidget* control, bool red);
    double boxValue(int i) const;
    void setBoxText(int i, const QString& text);
    void capOutputPower();
    void coupleBox(int i);
    void coupleLimit(int currentBox, double v);

    AppState& s_;
    // Box i holds a value the board gave or the operator entered: "Send to board" writes only
    // those, never a value the board could not give ("xxx", no number) or none at all.
    std::array<bool, 15> held_{};
    bool inert_ = true;
    bool loadAborted_ = false;
    bool unloaded_ = false;
    bool portLost_ = false;
    HandlerDepth handlers_{*this};

    friend struct ConfigBusy;
};

} // namespace tav
