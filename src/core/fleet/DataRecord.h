#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace tav {

// A row as data for spreadsheets and data tools: the metrics' readings in their units, the laser
// state and one 0/1 column per alarm and warning bit, stamped with the full date, time and
// offset from UTC. A value the board did not give is an empty cell.

// "time", the readings' metric names without "tav_" (input_power_dbm...), "laser_on", then
// "alarm: <caption>" for bits 1..7 and "warning: <caption>" for bits 0..3.
QStringList dataHeader();
// The cells of a row from its answers (mnemonic -> answer text), as dataHeader() names them.
QStringList dataCells(const QHash<QString, QString>& answers, const QDateTime& stamp);
// 2026-12-07T19:45:03+01:00
QString isoStamp(const QDateTime& t);

} // namespace tav
