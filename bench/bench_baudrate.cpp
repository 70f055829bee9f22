// Duration of a baud-rate detection against tavoem-sim on a pseudo-terminal, with the default
// settings (General.ini defaults, answer time-out 250 ms, 3 repeats): a board that is never
// found (2400) and one found by the scan at 38400 (BAUD 19200 stored).
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/BaudRate.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace tav;

namespace {

struct Result {
    qint64 ms = -1;
    QString rate;
    int trials = 0;
};

Result detect(int boardRate) {
    QTemporaryDir dir;
    SystemClock clock;
    test::ScriptedPrompts prompts;
    QtSerialPort port;
    AppState s(dir.path(), port, clock, prompts);
    s.TempsTimeout = 250;
    s.NbRepetitions = 3;
    EcrireParametresDefaut(dir.path());

    test::SimProcess sim;
    if (!sim.start({QStringLiteral("--no-noise"), QStringLiteral("--baud"),
                    QString::number(boardRate)})) {
        std::fprintf(stderr, "simulator did not start: %s\n", qPrintable(sim.errorOutput()));
        return {};
    }
    EcrireIni(s.generalIni(), QStringLiteral("RS232"), QStringLiteral("PORT"), sim.devicePath());

    Result r;
    QElapsedTimer t;
    t.start();
    r.rate = DetecterVitesse(s, [&](const QString&) { ++r.trials; });
    r.ms = t.elapsed();
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("baud-rate detection against tavoem-sim (time-out 250 ms, 3 repeats, "
                "pause 100 ms)\n");
    const Result failed = detect(2400);
    std::printf("  board at 2400 (never found): %6lld ms, %d scan trials, result \"%s\"\n",
                static_cast<long long>(failed.ms), failed.trials, qPrintable(failed.rate));
    const Result found = detect(38400);
    std::printf("  board at 38400 (stored 19200): %6lld ms, %d scan trials, result \"%s\"\n",
                static_cast<long long>(found.ms), found.trials, qPrintable(found.rate));
    return failed.rate.isEmpty() && found.rate == QLatin1String("38400") ? 0 : 1;
}
