#pragma once

#include <QString>

#include <array>
#include <functional>

namespace tav {

struct AppState;

// Rates tried by the detection, in order (19200 comes first and again fourth; 2400 is never
// tried).
inline constexpr std::array<int, 6> kVitessesBalayees{19200, 4800, 9600, 19200, 38400, 115200};

// Caption shown while a rate is tried: "Scan for " + rate + " vtl".
QString libelleBalayage(int rate);

// True when a raw answer line reads as the board's own: printable text holding "=", "!", "#" or
// "/". A board at another rate answers noise.
bool isBoardAnswer(const QString& raw);

// Finds the board's rate: probes with "SNU?" at the stored rate (the run's baudOverride when it
// has one), then at each rate of the scan list, applying each rate tried with applyRate (by
// default: written into RS232/BAUD). Returns the rate that answered as the board does
// (isBoardAnswer) (the stored BAUD text, or the override, when the board answers at once), or
// the empty text. The port is left closed.
//
// progress gets the caption of each scan trial; pending events run after it.
//
// Nothing is shown here. A port that cannot be opened ends the detection at once (no other rate
// would open it); invalid line settings only silence that trial (the scan rewrites the rate).
// When the detection fails for either reason, *portError names the port and gives the reason,
// so that the caller shows one message instead of one per trial; otherwise it is emptied.
// By default BAUD then holds the last rate tried.
//
// cancelled is asked between two trials (after the pending events have run); when it answers
// true the detection ends there, as a failure without a port error.
//
// A trial rate that cannot be written into BAUD (full disk, read-only file) ends the detection
// before that trial, as a failure: the port would open at the stored rate again. *storeError
// then gives the system's reason (the failure handler of the settings is not told: the caller
// says it); otherwise it is emptied.
QString DetecterVitesse(AppState& s, const std::function<void(const QString&)>& progress = {},
                        QString* portError = nullptr,
                        const std::function<bool()>& cancelled = {},
                        const std::function<void(int rate)>& applyRate = {},
                        QString* storeError = nullptr);

} // namespace tav
