#include "core/settings/Defaults.h"

namespace tav {
void EcrireParametresDefaut(const QString&) {}
} // namespace tav
