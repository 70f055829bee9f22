#pragma once

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav {

struct AppState;

// Supervision settings (modal): answer time-out, screen refresh period, number of repeats and
// character-by-character sending, stored in ValueSupervision of "langue.ini".
class FrmSupervision final : public QDialog {
    Q_OBJECT
public:
    explicit FrmSupervision(AppState& s, QWidget* parent = nullptr);

    QLineEdit* TxtTimeoutValue = nullptr;
    QLineEdit* TxtRefreshValue = nullptr;
    QLineEdit* TxtRepeatCycle = nullptr;
    QCheckBox* CheckChrByChr = nullptr;
    QPushButton* BoutonValider = nullptr;
    QPushButton* BoutonExit = nullptr;
    std::array<QGroupBox*, 2> grpframe{};
    std::array<QLabel*, 3> grplabel{};

    // Stores the settings and closes; refuses (message, nothing stored) an entry that is not a
    // whole number in its range.
    void BoutonValider_Click();
    // Closes without storing.
    void BoutonExit_Click();

    // Whole number of a typed entry within [min, max], blanks around it allowed.
    static std::optional<qint64> wholeNumber(const QString& text, qint64 min, qint64 max);

private:
    void chargerTextes();

    AppState& s_;
};

} // namespace tav
