// Time of one control-panel tick (six readings, "ALA?", "WAR?", "STS?": nine commands) through
// QSerialPort against tavoem-sim on a pseudo-terminal sending at the pace of 19200 baud, with
// the default pacing (100 ms of pauses per command) and with TempsPause2 = 2. Prints the median
// and mean tick, the line-time limit of the same bytes (10 bits per character) and the floor
// that pacing adds to it. For TempsPause2 = 2 the same nine exchanges are then scripted with pyserial
// (bench/exchange_pyserial.py) against the same simulator, for comparison in the same run.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "PySerial.h"
#include "RealtimeRig.h"
#include "ui/control/FrmMenuPilotage.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

using namespace tav;

namespace {

constexpr int kBaud = 19200;
constexpr int kTicks = 12;

const QStringList kTickCommands{"OPW?", "LDC?", "LDT?", "IPW?", "CAT?",
                                "OPM?", "ALA?", "WAR?", "STS?"};

struct Figures {
    double medianMs = 0;
    double exchangesMs = 0; // median of the nine exchanges alone, without the panel's work
    double meanMs = 0;
    qint64 bytes = 0;
    double floorMs = 0;
};

double charMs(qint64 n) {
    return n * 10.0 * 1000.0 / kBaud;
}

Figures measure(AppState& s, FrmMenuPilotage& w, int pauseMs) {
    // Bytes on the line for one tick: each command and its answer, carriage returns included.
    // The floor of one exchange: half the pause, then the other half or the line time of the
    // answer when longer (the board answers during the second half); the answer ends at its
    // carriage return. A pseudo-terminal does not
    // pace the program's own writes, so the command's line time is in the limit but not in this
    // floor.
    s.ReponseBrute = true;
    qint64 bytes = 0;
    double floorMs = 0;
    const int half = halfPause(pauseMs);
    for (const QString& c : kTickCommands) {
        const qint64 out = c.size() + 1;
        const qint64 in = EnvoyerCommande(s, c).size() + 1;
        bytes += out + in;
        floorMs += half + std::max<double>(half, charMs(in));
    }
    s.ReponseBrute = false;

    std::vector<double> ms;
    for (int i = 0; i < kTicks; ++i) {
        QElapsedTimer t;
        t.start();
        w.TraiterTopPanneau();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::vector<double> bare;
    for (int i = 0; i < kTicks; ++i) {
        QElapsedTimer t;
        t.start();
        for (const QString& c : kTickCommands)
            EnvoyerCommande(s, c);
        bare.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(bare.begin(), bare.end());
    Figures f;
    f.exchangesMs = bare[bare.size() / 2];
    f.medianMs = ms[ms.size() / 2];
    f.meanMs = std::accumulate(ms.begin(), ms.end(), 0.0) / double(ms.size());
    f.bytes = bytes;
    f.floorMs = floorMs;
    return f;
}

void print(const char* label, const Figures& f) {
    std::printf("%-24s tick median %7.1f ms, mean %7.1f ms (exchanges alone %7.1f ms) | %lld "
                "bytes: line-time limit %5.1f ms; with pauses and end of answer %6.1f ms; "
                "overhead %5.1f ms\n",
                label, f.medianMs, f.meanMs, f.exchangesMs, static_cast<long long>(f.bytes),
                charMs(f.bytes), f.floorMs, f.medianMs - f.floorMs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    bench::RealtimeRig rig;
    if (!rig.start(kBaud))
        return 1;
    AppState& s = rig.s;
    s.TempsTimeout = 250;
    s.FenetreActive = FrmMenuPilotage::kCode; // ticks are run here, not by a timer

    FrmMenuPilotage w(s);
    if (w.linkFailed()) {
        std::fprintf(stderr, "no link to the simulator\n");
        return 1;
    }
    w.TraiterTopPanneau(); // the full read of the first tick
    std::printf("control-panel tick, nine commands, tavoem-sim at %d baud (real-time line), "
                "%d ticks each\n",
                kBaud, kTicks);
    print("default pacing (100 ms)", measure(s, w, 100));
    EcrireIni(s.generalIni(), "RS232", "TempsPause2", "2");
    const Figures fast = measure(s, w, 2);
    print("TempsPause2 = 2", fast);

    // The same nine exchanges with pyserial, the port handed over for the time of the script.
    FermerPort(s);
    const double py = bench::pyserialRoundMs(rig.sim.devicePath(), kBaud, 2, kTickCommands, kTicks);
    if (py > 0)
        std::printf("%-24s tick median %7.1f ms (pyserial read_until CR, same pauses); ours is "
                    "%+.0f%% (target: within 5%%)\n",
                    "pyserial, same exchanges", py, 100.0 * (fast.medianMs - py) / py);
    w.close();
    return 0;
}
