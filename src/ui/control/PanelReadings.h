#pragma once

#include "ui/control/PanelControls.h"

#include <QWidget>

namespace tav {

// Lower part of the control panel: the readings frame, the alarm lamps with their legend, and
// the warning lamps with the reset button and their legend.
class PanelReadings : public QWidget {
    Q_OBJECT
public:
    PanelReadings(PanelControls& c, QWidget* parent);

    // A set bit's lamp is red (alarm) or orange (warning) and its caption takes that colour; a
    // clear bit's lamp is pale orange and its caption white.
    void setAlarmLamp(int lamp, bool set);
    void setWarningLamp(int lamp, bool set);
    void resetAlarmLamps();
    // A reading row's value (a null text keeps it); "unavailable" shows it white on light red.
    void setReading(int row, const QString& text, bool unavailable);
    // The power-limit row (eye safety).
    void showLimitRow(bool shown);

private:
    PanelControls& c_;
};

} // namespace tav
