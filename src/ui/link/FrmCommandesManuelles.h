#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tav {

struct AppState;

// Manual-command window (modeless): sends a typed command line to the board and lists what
// was sent and what came back. Opens the port when it loads and closes it when it closes.
class FrmCommandesManuelles final : public QWidget {
    Q_OBJECT
public:
    explicit FrmCommandesManuelles(AppState& s, QWidget* parent = nullptr);

    QLineEdit* TxtCommande = nullptr;
    QListWidget* SendList = nullptr;
    QListWidget* AnswerList = nullptr;
    QPushButton* BoutonCorbeille = nullptr;
    std::array<QLabel*, 3> grplabel{};

    // Enter in TxtCommande: upper-cases the text, sends it raw and fills the lists.
    // Ignored while a command is under way (the exchange lets events run).
    void TxtCommande_Enter();
    // Empties both lists.
    void BoutonCorbeille_Click();

protected:
    // Unloading closes the port; the next exchange of any window opens it again.
    void closeEvent(QCloseEvent* event) override;

private:
    void chargerTextes();

    AppState& s_;
    bool envoiEnCours_ = false;
};

} // namespace tav
