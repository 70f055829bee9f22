#pragma once

#include <QDialog>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

struct AppState;

// "Configuration des seuils" (modal, menu entry "Bornage des seuils"): the lower and upper
// bounds of the five threshold sliders (IPT, OPT, LCM, TCL, TCH), kept in section
// FrmAlarmsThresholds of "General.ini" as typed. An empty upper laser-current bound is filled
// from the board's "IM2?" answer.
class FrmAlarmsThresholds final : public QDialog {
    Q_OBJECT
public:
    explicit FrmAlarmsThresholds(AppState& s, QWidget* parent = nullptr);

    // OK: writes the ten texts as they stand (an empty box stores an empty value) and closes.
    // A box that is neither empty nor a number is refused first (message, box emptied).
    void Bouton_0_Click();
    // Cancel: keeps the stored values (an empty TxtLCM_1 gets the "IM2?" answer) and closes.
    void Bouton_1_Click();
    // Leaving box i (0..9): "Value must be numeric." for a text that is not a number.
    bool Txt_LostFocus(int i);

    // Box i in key order: TxtIPT(0), TxtIPT(1), TxtOPT(0) ... TxtTCH(1).
    QLineEdit* box(int i) const { return boxes_[static_cast<std::size_t>(i)]; }

    std::array<QLineEdit*, 2> TxtIPT{}, TxtOPT{}, TxtLCM{}, TxtTCL{}, TxtTCH{};
    std::array<QLabel*, 10> grplabel{};
    QGroupBox* grpframe = nullptr;
    std::array<QPushButton*, 2> Bouton{};

private:
    // "IM2?" answer as plain text for an empty upper laser-current bound.
    QString currentLimit();

    AppState& s_;
    std::array<QLineEdit*, 10> boxes_{};
};

} // namespace tav
