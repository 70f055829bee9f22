#pragma once

#include <QPointer>
#include <QString>

class QLabel;
class QWidget;

namespace tav {

struct AppState;
class DetectionPanel;

// Handlers of the main window's serial-link menu entries.

// "Automatic Baud Rate Detection" (baudrate): hourglass, the panel shown with "Scan for <rate>
// vtl" during the scan, then one message titled "Baud Rate Detection". On failure BAUD gets its
// previous value back; a port that cannot be opened is named in the failure message (no message
// per trial). The panel's Cancel ends the scan between two trials, restores BAUD and shows
// nothing. The port is left closed. Returns the detected rate (empty on failure or cancel).
QString ExecuterDetectionVitesse(AppState& s, DetectionPanel& panneau);

// "Serial Link" (Liaisonserie): FrmConfigRS232 modal; when PORT changed (letter case aside),
// closes the port and opens it again. A change of the line settings alone leaves an open port
// as it is.
void ExecuterLiaisonSerie(AppState& s, QWidget* parent);

// "View": FrmView modal unless one is already open, then AppliquerCheckOptions.
void ExecuterVue(AppState& s, QWidget* parent, QPointer<QWidget>& flux,
                 QPointer<QWidget>& commandes);

// Closes both windows (the manual-command window closes the port) and opens again, modeless,
// those whose bit of CheckOptions is set (bit 0: serial flow, which also sets FluxActif; bit 1:
// manual commands), beside the parent window. The windows delete themselves when closed. Also
// the start-up step when the pointers are still null.
void AppliquerCheckOptions(AppState& s, QWidget* parent, QPointer<QWidget>& flux,
                           QPointer<QWidget>& commandes);

} // namespace tav
