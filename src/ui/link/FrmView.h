#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QPushButton;

namespace tav {

struct AppState;

// View options (modal, one at a time): which of the serial-flow (bit 0) and manual-command
// (bit 1) windows are active, stored as CheckOptions in ValueSupervision of "langue.ini".
class FrmView final : public QDialog {
    Q_OBJECT
public:
    explicit FrmView(AppState& s, QWidget* parent = nullptr);
    ~FrmView() override;

    // True while a view-options window is loaded; the main window opens no second one.
    static bool estOuverte() { return ouverte_; }

    std::array<QCheckBox*, 2> CheckOptions{};
    QPushButton* BoutonValider = nullptr;
    QPushButton* BoutonExit = nullptr;

    // Stores the mask of the checked boxes and closes.
    void BoutonValider_Click();
    // Closes without storing.
    void BoutonExit_Click();

    void done(int result) override;

private:
    void chargerTextes();

    AppState& s_;
    static inline bool ouverte_ = false;
};

// Bits 0 and 1 of CheckOptions as stored (its number; 0 when absent).
int lireCheckOptions(const AppState& s);

} // namespace tav
