#pragma once

// tavoem-sim on a pseudo-terminal pacing its answers at the line's rate, and a program folder
// whose serial port is that simulator, for the benchmarks that time real exchanges.
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

namespace tav::bench {

struct RealtimeRig {
    test::SimProcess sim;
    QTemporaryDir dir;
    QtSerialPort port;
    SystemClock clock;
    test::ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};

    // False, said on stderr, when the simulator did not start.
    bool start(int baud) {
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
        return true;
    }
};

} // namespace tav::bench
