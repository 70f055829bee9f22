#pragma once

namespace tav {

struct AppState;

// How the window's thread waits while an exchange, or a sequence of them, is under way.
//
// Every pause of an exchange (its pacing, the gap between characters, a download's pause
// between lines, a window's own pause such as the warning reset's) and every wait for the
// board's input goes through these two. With a display (AppState::serveDisplay set by the
// program with windows) a wait is cut into slices, and the display is served at least every
// kServeEveryMs: painting, exposure and the desktop's checks that the program still answers.
// Serving never runs user input, timers or closes: they wait for the points where pending
// messages may run (AppState::processEvents) or for the end of the operation, so no poll tick,
// timer, click or close starts an exchange inside another, and what goes on the wire, in which
// order and with which pauses, is the same with or without a display. Without one (tavoemctl,
// the monitor's workers, core tests) these are the clock's sleep and the port's wait.
inline constexpr int kServeEveryMs = 20;

// Pauses ms (none when ms <= 0).
void pauseMs(AppState& s, int ms);
// Waits up to ms for input on PortOEM; true when bytes are available.
bool waitForInput(AppState& s, int ms);

} // namespace tav
