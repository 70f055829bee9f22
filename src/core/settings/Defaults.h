#pragma once

#include <QString>
#include <QStringList>

namespace tav {

// Writes the default "General.ini" of the program directory: 80 keys in their fixed order.
void EcrireParametresDefaut(const QString& programDir);

// The default command catalogue texts, key 1 first.
const QStringList& defaultWriteSyn();
const QStringList& defaultReadSyn();
const QStringList& defaultCmdReadSyn();

} // namespace tav
