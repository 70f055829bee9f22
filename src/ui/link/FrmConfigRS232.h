#pragma once

#include <QDialog>

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

struct AppState;

// Serial-link settings (modal): port and line settings stored in RS232 of "General.ini".
// The port list offers COM1..COM20 and the ports the system reports (by device path, their
// description shown in the list); any device path can be typed. In the customer variant only
// the port is shown, but Validate still writes all six keys.
class FrmConfigRS232 final : public QDialog {
    Q_OBJECT
public:
    explicit FrmConfigRS232(AppState& s, QWidget* parent = nullptr);

    QComboBox* ListePortCom = nullptr;
    QComboBox* ListeBaudRate = nullptr;
    QComboBox* ListeParite = nullptr;
    QComboBox* ListeBitsDonnees = nullptr;
    QComboBox* ListeBitsStop = nullptr;
    QLineEdit* TxtSleepTwoChars = nullptr;
    QGroupBox* grpframe = nullptr;
    // Items 0..4 caption the five lists; item 10 the pause box (grplabel_5_10).
    std::array<QLabel*, 11> grplabel_5{};
    QPushButton* BoutonValider = nullptr;
    QPushButton* BoutonExit = nullptr;

    // Writes PORT, BAUD, PARITE, DATA, STOP and TxtSleepTwoChars, in that order, and closes.
    // In the internal variant, line settings the port cannot take are refused first.
    void BoutonValider_Click();
    // Closes without storing.
    void BoutonExit_Click();

    // Role of a port-list item holding the system's description of the port.
    static constexpr int kDescriptionRole = Qt::UserRole + 1;

private:
    void remplirPorts();
    void montrerPortEntier();
    bool reglagesUtilisables();
    void chargerTextes();

    AppState& s_;
};

} // namespace tav
