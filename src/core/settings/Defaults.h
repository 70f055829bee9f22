#pragma once

#include <QString>

namespace tav {

// Writes the default "General.ini" of the program directory: 80 keys in their fixed order.
void EcrireParametresDefaut(const QString& programDir);

} // namespace tav
