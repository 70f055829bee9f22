#pragma once

#include <QPointer>

class QWidget;

namespace tav {

struct AppState;
class FrmPrincipale;

// Handlers of the main window's configuration-file entries.

// "Crypt File" (cryptfile): file dialog in the program folder, then CrypterFichier.
void cryptfile_Click(AppState& s);
// "Decrypt File" (DecryptFile).
void DecryptFile_Click(AppState& s);
// "Load Configuration File" (LoadConfigurationFile): closes the serial-flow window first (so
// that no window work runs between the commands), file dialog, then the load under the
// hourglass. "File Name can't be empty." when no file is chosen.
void LoadConfigurationFile_Click(AppState& s, QPointer<QWidget>& flux);

// Connects the three entries of the main window to their handlers.
void connecterFichiersConfiguration(FrmPrincipale& w, AppState& s);

} // namespace tav
