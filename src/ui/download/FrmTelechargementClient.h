#pragma once

#include "ui/download/DownloadWindow.h"

#include <array>

namespace tav {

class NumericSlider;

// Customer download ("Customer", modal): "UPL=1", every line acknowledged with progress on the
// gauge, then "UPL=2" and "UPL=3"; Cancel stops between two lines. The chosen file is kept in
// General.ini (LOAD_HEX_FILE/Name).
class FrmTelechargementClient final : public DownloadWindow {
    Q_OBJECT
public:
    explicit FrmTelechargementClient(AppState& s, QWidget* parent = nullptr);

    // "File to load", the chosen file's name.
    std::array<QLabel*, 2> grplabel{};
    NumericSlider* Gauge = nullptr;
    QPushButton* BoutonStart = nullptr;
    QPushButton* BoutonCancel = nullptr;
    QMenu* File = nullptr;
    QAction* open = nullptr;

    void open_Click();
    void BoutonStart_Click();
    void BoutonCancel_Click();
};

} // namespace tav
