#pragma once

namespace tav {

// Qt warns on stderr ("XDG_RUNTIME_DIR not set") whenever the session names no runtime folder,
// as under a service, sudo or CI. Call this before the application object: when none is named,
// it names a private one, the user's own 0700 folder in the temporary folder.
void namePrivateRuntimeDir();

} // namespace tav
