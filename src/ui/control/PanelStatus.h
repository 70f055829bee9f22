#pragma once

#include "ui/control/PanelControls.h"

#include <QWidget>

namespace tav {

// Status column of the control panel: date and time frames, laser state, serial-link lamp and
// the board's serial number.
class PanelStatus : public QWidget {
    Q_OBJECT
public:
    PanelStatus(PanelControls& c, QWidget* parent);

    // Laser state from the answer to "STS?": "ON" in white on light green, else "OFF".
    void setStatus(const QString& answer);
    // Empty on white (after a stop or a lost link).
    void clearStatus();

private:
    PanelControls& c_;
};

} // namespace tav
