// Simulator figures: board-model throughput, in-process port round trips, and the round-trip
// time of one command through tavoem-sim on a pseudo-terminal.

#include "RawClient.h"
#include "model/InProcessPort.h"
#include "support/Pty.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using tav::sim::BoardModel;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QList<QByteArray> mix = {"IPW?", "OPW?", "PS2?", "ID1?", "LDT?",
                                   "CAT?", "ALA?", "WAR?", "STS?", "SOP=150"};

    {
        BoardModel board;
        board.handleLine("ASS=2");
        const int n = 200000;
        QElapsedTimer t;
        t.start();
        qint64 bytes = 0;
        for (int i = 0; i < n; ++i) {
            board.advanceTo(i);
            bytes += board.handleLine(mix[i % mix.size()]).size();
        }
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf(
            "board model: %d commands in %.1f ms, %.2f us per command (%lld answer bytes)\n", n, ms,
            ms * 1000.0 / n, static_cast<long long>(bytes));
    }

    {
        BoardModel board;
        tav::SystemClock clock;
        tav::sim::InProcessPort port(board, clock);
        port.open(QStringLiteral("COM1"), {}, nullptr);
        const int n = 50000;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < n; ++i) {
            port.write(mix[i % mix.size()] + '\r');
            port.waitForInput(100);
            port.readAll();
        }
        const double ms = t.nsecsElapsed() / 1e6;
        std::printf("in-process port: %d round trips in %.1f ms, %.2f us each\n", n, ms,
                    ms * 1000.0 / n);
    }

    tav::test::SimProcess sim;
    if (!sim.start({QStringLiteral("--no-noise")})) {
        std::printf("tavoem-sim not started (%s): pty figures skipped\n",
                    qPrintable(tav::test::simulatorBinary()));
        return 0;
    }
    const int fd = tav::bench::openRawDevice(sim.devicePath());
    std::vector<double> us;
    for (int i = 0; i < 2000; ++i) {
        QElapsedTimer t;
        t.start();
        const QByteArray a = tav::bench::exchangeRaw(fd, mix[i % mix.size()], 1000);
        us.push_back(t.nsecsElapsed() / 1e3);
        if (!a.endsWith('\r')) {
            std::printf("pty: no answer to command %d\n", i);
            break;
        }
    }
    tav::bench::closeDevice(fd);
    std::sort(us.begin(), us.end());
    if (!us.empty())
        std::printf("pty round trip over %zu commands: median %.0f us, 99th percentile %.0f us, "
                    "max %.0f us\n",
                    us.size(), us[us.size() / 2], us[us.size() * 99 / 100], us.back());
    return 0;
}
