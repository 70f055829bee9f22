#include "core/link/Wait.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/SerialPort.h"

#include <algorithm>

namespace tav {

namespace {

// Serves the display when it is due; a serve never nests in another.
void serveIfDue(AppState& s) {
    if (s.serving || s.clock.now() - s.servedAt < kServeEveryMs)
        return;
    s.serving = true;
    s.serveDisplay();
    s.serving = false;
    s.servedAt = s.clock.now();
}

// The part of a wait ending at `end` before the next serve is due.
int slice(const AppState& s, qint64 end) {
    const qint64 now = s.clock.now();
    return static_cast<int>(std::clamp<qint64>(std::min(end, s.servedAt + kServeEveryMs) - now, 0,
                                                kServeEveryMs));
}

} // namespace

void pauseMs(AppState& s, int ms) {
    if (!s.serveDisplay || ms <= 0) {
        s.clock.sleep(ms);
        return;
    }
    const qint64 end = s.clock.now() + ms;
    while (s.clock.now() < end) {
        serveIfDue(s);
        s.clock.sleep(std::max(1, slice(s, end)));
    }
    serveIfDue(s);
}

bool waitForInput(AppState& s, int ms) {
    SerialPort& port = s.PortOEM;
    if (!s.serveDisplay || ms <= 0)
        return port.waitForInput(ms);
    const qint64 end = s.clock.now() + ms;
    for (;;) {
        serveIfDue(s);
        if (port.waitForInput(std::max(1, slice(s, end))))
            return true;
        if (!port.isOpen() || s.clock.now() >= end)
            return false;
    }
}

} // namespace tav
