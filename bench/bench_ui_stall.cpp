// How long the windows go without serving the display while they exchange with a board.
// A probe thread posts an event every 2 ms; the time each one waits before the window's thread
// takes it is a gap in the window's event loop. The control panel's ticks and the configuration
// window's Import run against tavoem-sim on a pseudo-terminal at the line's pace, one case per
// board behaviour. Prints one line per case:
//   ui_stall board=NAME window=panel|config gap_ms_p99= gap_ms_max= exchanges=
// BENCH_UI_STALL_UNSERVED=1 runs the same without serving the display during waits.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"
#include "ui/config/FrmConfigManuelle.h"
#include "ui/control/FrmMenuPilotage.h"
#include "ui/support/DisplayServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tav;

namespace {

constexpr int kTicks = 8;
QElapsedTimer sinceStart;

// Counts the lines the program sends.
class CountingPort final : public SerialPort {
public:
    bool open(const QString& n, const LineSettings& l, QString* e) override { return p_.open(n, l, e); }
    void close() override { p_.close(); }
    bool isOpen() const override { return p_.isOpen(); }
    bool write(const QByteArray& d) override {
        lines += d.count('\r');
        return p_.write(d);
    }
    bool waitForInput(int ms) override { return p_.waitForInput(ms); }
    qint64 bytesAvailable() const override { return p_.bytesAvailable(); }
    QByteArray readAll() override { return p_.readAll(); }
    void clearInput() override { p_.clearInput(); }
    int lines = 0;

private:
    QtSerialPort p_;
};

struct Probe : QObject {
    struct Ping : QEvent {
        explicit Ping(qint64 at) : QEvent(QEvent::User), at(at) {}
        qint64 at;
    };
    bool recording = false;
    std::vector<double> gaps;
    std::atomic<bool> stop{false};
    std::unique_ptr<QThread> thread;

    Probe() {
        thread.reset(QThread::create([this] {
            while (!stop) {
                QCoreApplication::postEvent(this, new Ping(sinceStart.nsecsElapsed()));
                QThread::usleep(2000);
            }
        }));
        thread->start();
    }
    ~Probe() override {
        stop = true;
        thread->wait();
        QCoreApplication::removePostedEvents(this);
    }
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        if (recording) gaps.push_back((sinceStart.nsecsElapsed() - static_cast<Ping*>(e)->at) / 1e6);
        return true;
    }
};

struct Case {
    const char* name;
    QStringList simArgs;
};

void runCase(QApplication& app, const Case& c, const char* window, bool serve) {
    test::SimProcess sim;
    if (!sim.start(QStringList{"--no-noise", "--realtime", "--seed", "7"} + c.simArgs)) {
        std::fprintf(stderr, "tavoem-sim did not start: %s\n", qPrintable(sim.errorOutput()));
        return;
    }
    QTemporaryDir dir;
    CountingPort port;
    SystemClock clock;
    test::ScriptedPrompts prompts;
    AppState s(dir.path(), port, clock, prompts);
    EcrireParametresDefaut(dir.path());
    EcrireTextesDefaut(s.langueIni());
    EcrireIni(s.langueIni(), "ValueSupervision", "Langue", "En");
    EcrireIni(s.generalIni(), "RS232", "PORT", sim.devicePath());
    std::unique_ptr<DisplayServer> server;
    if (serve) server = std::make_unique<DisplayServer>(app, s);

    Probe probe;
    probe.recording = true;
    if (qstrcmp(window, "panel") == 0) {
        s.FenetreActive = FrmMenuPilotage::kCode; // ticks are run here, not by a timer
        FrmMenuPilotage w(s);
        w.show();
        for (int i = 0; i < kTicks; ++i) {
            w.TraiterTopPanneau();
            QCoreApplication::processEvents();
        }
        w.close();
    } else {
        s.FenetreActive = FrmConfigManuelle::kCode;
        FrmConfigManuelle w(s);
        w.show();
        QCoreApplication::processEvents();
        w.BoutonImporter_Click();
        w.close();
    }
    probe.recording = false;
    std::vector<double>& g = probe.gaps;
    std::sort(g.begin(), g.end());
    const double p99 = g.empty() ? 0 : g[std::min(g.size() - 1, g.size() * 99 / 100)];
    std::printf("ui_stall board=%s window=%s gap_ms_p99=%.1f gap_ms_max=%.1f exchanges=%d\n", c.name,
                window, p99, g.empty() ? 0 : g.back(), port.lines);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    sinceStart.start();
    const bool serve = qEnvironmentVariableIntValue("BENCH_UI_STALL_UNSERVED") == 0;
    const std::vector<Case> cases{
        {"healthy", {}},
        {"garbage30", {"--garbage-rate", "30%"}},
        {"silent50", {"--no-answer-rate", "50%"}},
        {"late300", {"--delay-ms", "300"}},
        {"split150", {"--split-answer", "150"}},
    };
    for (const Case& c : cases)
        for (const char* window : {"panel", "config"})
            runCase(app, c, window, serve);
    return 0;
}
