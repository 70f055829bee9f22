#pragma once

#include <QDialog>

class QLineEdit;

namespace tav {

struct AppState;

// Asks for the administrator password; the caller reads MotDePasseValide afterwards.
class FrmMotDePasse : public QDialog {
    Q_OBJECT
public:
    explicit FrmMotDePasse(AppState& s, QWidget* parent = nullptr);

    QLineEdit* TxtPWD;

private:
    void TxtPWD_Enter();
    AppState& s_;
};

} // namespace tav
