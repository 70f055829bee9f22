#pragma once

#include <QDialog>

class QPushButton;

namespace tav {

struct AppState;
class Grid;

// "Commands GET" (modal): the CMD READ SYN catalogue list with the operator's supervision
// marks (READ X). Columns: 1 description, 2 mnemonic, 3 mark.
class FrmCmdRead final : public QDialog {
    Q_OBJECT
public:
    explicit FrmCmdRead(AppState& s, QWidget* parent = nullptr);

    Grid* vaSpreadRead = nullptr;
    QPushButton* Enregistrer = nullptr;
    QPushButton* Selectionner = nullptr;

    // Fills the grid from CMD READ SYN and READ X ("NOT USED" entries skipped).
    void ChargerCommandesGet();
    // Writes the rows back under their row numbers, with their marks.
    void SauverCommandesGet();

    // Handlers.
    void Enregistrer_Click();
    void Selectionner_Click();
    void vaSpreadRead_Click(int row, int col);

private:
    void setMark(int row, bool marked);

    AppState& s_;
};

} // namespace tav
