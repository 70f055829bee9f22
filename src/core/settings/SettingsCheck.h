#pragma once

#include <QString>

#include <optional>

namespace tav {

// The settings files of a program folder that exist but lack what the program cannot do
// without: "General.ini" any of the serial-line keys PORT, BAUD, PARITE, DATA, STOP of [RS232];
// "langue.ini" every one of its text sections. One message naming each damaged file, what it
// lacks and how to mend it; empty when both are sound or missing. Checked at every start,
// before anything writes into them.
QString damagedSettingsMessage(const QString& programDir);

// The settings files every start needs, in tavoem and tavoemctl alike: the default settings when
// "General.ini" is missing; when "langue.ini" is missing, the installation returns to the
// customer variant (the factory marker goes) and the default texts are written.
void prepareSettingsFiles(const QString& programDir);

// tavoem's start options that write into the settings: `factory` writes the factory marker (the
// default texts first when "langue.ini" is missing, or the start-up would delete the marker);
// `port` is stored in RS232 PORT (the defaults first when "General.ini" is missing) before any
// window talks to the board. Returns damagedSettingsMessage of the files as found before.
QString applyStartOptions(const QString& programDir, bool factory,
                          const std::optional<QString>& port);

} // namespace tav
