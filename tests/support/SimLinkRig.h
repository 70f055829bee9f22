#pragma once

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>

#include <cstdio>

namespace tav::test {

// For benchmarks: a program folder with the default settings and texts whose port is tavoem-sim
// on a pseudo-terminal sending at the pace of `baud` (no noise), reached through QtSerialPort
// on the real clock. The time-out is 250 ms; the window code is the caller's.
struct SimLinkRig {
    SimProcess sim;
    QTemporaryDir dir;
    QtSerialPort port;
    SystemClock clock;
    ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};

    // False (with the reason on standard error) when the simulator did not start.
    bool start(int baud, qint16 windowCode) {
        if (!sim.start({QStringLiteral("--no-noise"), QStringLiteral("--realtime"),
                        QStringLiteral("--baud"), QString::number(baud)})) {
            std::fprintf(stderr, "tavoem-sim did not start: %s\n", qPrintable(sim.errorOutput()));
            return false;
        }
        EcrireParametresDefaut(dir.path());
        EcrireTextesDefaut(s.langueIni());
        EcrireIni(s.langueIni(), "ValueSupervision", "Langue", "En");
        EcrireIni(s.generalIni(), "RS232", "PORT", sim.devicePath());
        EcrireIni(s.generalIni(), "RS232", "BAUD", QString::number(baud));
        s.TempsTimeout = 250;
        s.FenetreActive = windowCode; // ticks are run by the benchmark, not by a timer
        return true;
    }
};

} // namespace tav::test
