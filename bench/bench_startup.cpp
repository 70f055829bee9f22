// Start-up time of the main window: in-process (construct, load, show) on a first start and on a
// later start, and the whole `tavoem` process to its shown window and exit.
#include "core/AppState.h"
#include "core/Clock.h"
#include "support/ManualClock.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"
#include "ui/main/FrmPrincipale.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace tav;

namespace {

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

double startOnce(const QString& dir) {
    test::ManualClock clock;
    test::ScriptedPort port(clock);
    test::ScriptedPrompts prompts;
    AppState s(dir, port, clock, prompts);
    QElapsedTimer t;
    t.start();
    FrmPrincipale w(s);
    w.Form_Load();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w, 2000))
        std::fprintf(stderr, "window not exposed\n");
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = 15;
    QList<double> first, later, process;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        first << startOnce(dir.path());
        later << startOnce(dir.path());
    }
    const QString exe = QCoreApplication::applicationDirPath() + "/tavoem";
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(exe, {"--program-dir", dir.path(), "--quit-after", "0"});
        p.waitForFinished(20000);
        process << t.nsecsElapsed() / 1e6;
    }
    std::printf("main window, first start (files created): median %.1f ms\n", median(first));
    std::printf("main window, later start:                  median %.1f ms\n", median(later));
    std::printf("tavoem process start to shown window and exit: median %.1f ms (target < 300 ms)\n",
                median(process));
    return 0;
}
