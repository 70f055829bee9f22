#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace tav {

// The baud-rate detection's progress, shown over the lower part of the main window (clear of
// its centred title and of the menu bar): the caption MessageBaudRate and a Cancel button.
class DetectionPanel final : public QFrame {
    Q_OBJECT
public:
    explicit DetectionPanel(QWidget* window);

    // Centred across the window, near its bottom edge.
    void placer();
    // Shows the panel with Cancel not yet asked.
    void ouvrir();
    bool annulationDemandee() const { return annulee_; }

    QLabel* MessageBaudRate = nullptr;
    QPushButton* BoutonAnnuler = nullptr;

private:
    bool annulee_ = false;
};

} // namespace tav
