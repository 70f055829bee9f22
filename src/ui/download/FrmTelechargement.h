#pragma once

#include "ui/download/DownloadWindow.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace tav {

// Factory download ("Loading Software", modal): sends the file's lines unchanged, with or
// without waiting for the board's acknowledgement, and lists what was sent and what came back.
class FrmTelechargement final : public DownloadWindow {
    Q_OBJECT
public:
    explicit FrmTelechargement(AppState& s, QWidget* parent = nullptr);

    // "Sleep Between Two Rows (ms)", "File to load", the chosen file's name.
    std::array<QLabel*, 3> grplabel{};
    QLineEdit* TxtSleep = nullptr;
    QCheckBox* CheckAcknowledge = nullptr;
    QPushButton* BoutonStart = nullptr;
    QListWidget* ListToLoad = nullptr;
    QListWidget* ListFromBoard = nullptr;
    QMenu* MenuFile = nullptr;
    QAction* MenuOpen = nullptr;

    void MenuOpen_Click();
    void BoutonStart_Click();
};

} // namespace tav
