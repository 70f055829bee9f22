// Time of one command exchange through QSerialPort on a pseudo-terminal, against a thread that
// plays the board and paces its side of the line to the baud rate (a pty itself has no speed).
// Prints, per exchange, the median time, the line-time limit (characters x 10 bits / baud plus
// the configured pauses) and the overhead above that limit, then the first exchange scripted with
// pyserial on the same line for comparison.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/Exchange.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Ini.h"
#include "support/ScriptedPrompts.h"
#include "PySerial.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <time.h>

#include <poll.h>
#include <pty.h>
#include <unistd.h>

using namespace tav;

namespace {

const QByteArray kLongAnswer = "ABC=" + QByteArray(35, '7') + '\r'; // 40 characters

// The board: answers each line after the line's own transmission time, at the baud rate.
class PacedBoard {
public:
    explicit PacedBoard(int baud) : charNs_(10LL * 1000000000LL / baud) {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            qFatal("openpty failed");
        slaveName = QString::fromLocal8Bit(name);
        thread_ = std::thread([this] { run(); });
    }
    ~PacedBoard() {
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::close(slave_);
    }
    QString slaveName;

private:
    static void sleepUntil(timespec& t, qint64 addNs) {
        t.tv_nsec += addNs;
        t.tv_sec += t.tv_nsec / 1000000000;
        t.tv_nsec %= 1000000000;
        ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr);
    }
    void run() {
        QByteArray pending;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                continue;
            pending.append(buf, n);
            qsizetype cr;
            while ((cr = pending.indexOf('\r')) >= 0) {
                const QByteArray line = pending.left(cr + 1);
                pending.remove(0, cr + 1);
                const QByteArray answer =
                    line.startsWith("IPW?") ? QByteArray("IPW=+12.3\r") : kLongAnswer;
                timespec t{};
                ::clock_gettime(CLOCK_MONOTONIC, &t);
                // The command's own characters still travel on the line.
                sleepUntil(t, charNs_ * line.size());
                for (const char c : answer) {
                    sleepUntil(t, charNs_);
                    [[maybe_unused]] auto w = ::write(master_, &c, 1);
                }
            }
        }
    }

    qint64 charNs_;
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * (v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 150;

    std::printf("Exchange over a pty (board side paced to the baud rate), TempsPause2 = 2, "
                "%d runs each\n",
                runs);
    std::printf("%-8s %-24s %6s %9s %9s %9s %9s %9s\n", "baud", "exchange", "chars", "median",
                "min", "p90", "limit", "overhead");

    bool ok = true;
    for (const int baud : {19200, 115200}) {
        PacedBoard board(baud);
        QTemporaryDir dir;
        QtSerialPort port;
        SystemClock clock;
        test::ScriptedPrompts prompts;
        AppState s(dir.path(), port, clock, prompts);
        s.TempsTimeout = 250;
        s.NbRepetitions = 0;
        const QString ini = s.generalIni();
        EcrireIni(ini, "RS232", "PORT", board.slaveName);
        EcrireIni(ini, "RS232", "BAUD", QString::number(baud));
        EcrireIni(ini, "RS232", "PARITE", "NONE");
        EcrireIni(ini, "RS232", "DATA", "8");
        EcrireIni(ini, "RS232", "STOP", "1");
        EcrireIni(ini, "RS232", "TempsPause2", "2");
        if (!OuvrirPort(s)) {
            std::printf("cannot open %s\n", qPrintable(board.slaveName));
            return 1;
        }
        const int pauses = 2 * halfPause(2);

        struct Case {
            const char* name;
            QString command;
            QString expected;
            int answerChars;
        };
        const Case cases[] = {
            {"IPW? -> IPW=+12.3", "IPW?", "12.3", 10},
            {"ABC? -> 40 characters", "ABC?", QString::fromLatin1(kLongAnswer.mid(4, 35)), 40},
        };
        for (const Case& c : cases) {
            for (int i = 0; i < 5; ++i)
                EnvoyerCommande(s, c.command);
            std::vector<double> times;
            int wrong = 0;
            for (int i = 0; i < runs; ++i) {
                QElapsedTimer t;
                t.start();
                const QString v = EnvoyerCommande(s, c.command);
                times.push_back(t.nsecsElapsed() / 1e6);
                if (v != c.expected)
                    ++wrong;
            }
            const int chars = int(c.command.size()) + 1 + c.answerChars;
            const double limit = chars * 10.0 * 1000.0 / baud + pauses;
            const double med = median(times);
            std::printf("%-8d %-24s %6d %8.2fms %8.2fms %8.2fms %8.2fms %8.2fms%s\n", baud, c.name,
                        chars, med, *std::min_element(times.begin(), times.end()),
                        percentile(times, 0.9), limit, med - limit,
                        wrong ? qPrintable(QStringLiteral("  (%1 wrong answers)").arg(wrong)) : "");
            ok = ok && wrong == 0;
        }
        FermerPort(s);
        // The first exchange with pyserial on the same line, in the same run.
        const double py = bench::pyserialRoundMs(board.slaveName, baud, 2, {cases[0].command},
                                                 runs);
        if (py > 0)
            std::printf("%-8d %-24s %6s %8.2fms  (pyserial read_until CR, same pauses)\n", baud,
                        cases[0].name, "", py);
    }
    std::printf("The answer ends at its carriage return; the pause after sending runs while the "
                "command is still on the line, so the overhead can fall below zero.\n");
    return ok ? 0 : 1;
}
