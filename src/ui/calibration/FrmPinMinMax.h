#pragma once

#include <QDialog>

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

struct AppState;

// The reference-power dialog (modal) opened before a photodiode calibration: the low and high
// reference powers in dBm. Caption and frame caption follow TypeEtalonnage. "Valider" stores
// each non-empty box into ReferenceMin / ReferenceMax; an empty box leaves its preset value.
class FrmPinMinMax final : public QDialog {
    Q_OBJECT
public:
    explicit FrmPinMinMax(AppState& s, QWidget* parent = nullptr);

    void BoutonValider_Click();
    // Enter in a box or leaving it: "Veuillez saisir une valeur numérique." for a text that is
    // not a number. True when the text is accepted.
    bool Txt_Check(QLineEdit* box);

    QLineEdit* TxtPinMin = nullptr;
    QLineEdit* TxtPinMax = nullptr;
    std::array<QLabel*, 2> grplabel{};
    QGroupBox* grpframe = nullptr;
    QPushButton* BoutonValider = nullptr;

private:
    AppState& s_;
};

} // namespace tav
