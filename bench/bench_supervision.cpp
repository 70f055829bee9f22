// A week of data supervision: 604,800 rows at one per second on the manual clock against the
// in-process board, through the window's own tick (MesurerLigne, sheet, record line, graph
// data). Per-row time leaves out the board exchanges (from the first to the last port call of
// the row). Every 1,000 rows the chart gets its series and is repainted offscreen, as a shown
// graph would be a few times a second; the slowest of these is reported (series hand-over and
// paint), then the redraw after ticking a box on the full week.
#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "support/BoardRig.h"
#include "Resident.h"
#include "ui/supervision/FrmSupervisionData.h"
#include "ui/supervision/SupervisionGraph.h"
#include "ui/support/Tabs.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tav;

namespace {

// The in-process port, noting when the exchanges of a row begin and end: the span from the
// first to the last port call of a row is the board's share of the row.
class TimedPort final : public SerialPort {
public:
    explicit TimedPort(SerialPort& p) : p_(p) { clock_.start(); }
    bool open(const QString& n, const LineSettings& s, QString* e) override {
        return note(p_.open(n, s, e));
    }
    void close() override { p_.close(); }
    bool isOpen() const override { return p_.isOpen(); }
    bool write(const QByteArray& d) override {
        if (first < 0)
            first = clock_.nsecsElapsed();
        return note(p_.write(d));
    }
    bool waitForInput(int ms) override { return note(p_.waitForInput(ms)); }
    qint64 bytesAvailable() const override { return p_.bytesAvailable(); }
    QByteArray readAll() override {
        QByteArray b = p_.readAll();
        note(true);
        return b;
    }
    void clearInput() override { p_.clearInput(); }
    qint64 span() const { return first < 0 ? 0 : last - first; }
    qint64 first = -1;
    qint64 last = -1;

private:
    bool note(bool r) {
        last = clock_.nsecsElapsed();
        return r;
    }
    SerialPort& p_;
    QElapsedTimer clock_;
};

double percentile(std::vector<float> v, double p) {
    const std::size_t k = std::min(v.size() - 1, std::size_t(p * double(v.size())));
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(2, atoi(argv[1])) : 604800;
    QElapsedTimer whole;
    whole.start();

    test::BoardRig rig;
    rig.port.setAnswerDelay(1);
    TimedPort port(rig.port);
    AppState s(rig.dir.path(), port, rig.clock, rig.prompts);
    s.NbRepetitions = 1;
    EcrireIni(s.generalIni(), "RS232", "TempsPause2", "0");
    EcrireIni(s.generalIni(), "SupervisionData", "TxtFrequenceAcquisition", "1");
    EcrireIni(s.generalIni(), "SupervisionData", "TxtModEnreg", "1");

    FrmSupervisionData w(s);
    w.resize(1280, 800);
    w.show();
    w.OngletPrincipal->setCurrentIndex(2);
    w.BoutonGraphe->click();
    w.Bouton_Click();
    if (!w.isRunning()) {
        std::fprintf(stderr, "the acquisition did not start\n");
        return 1;
    }

    std::vector<float> rowMs;
    rowMs.reserve(std::size_t(rows));
    double redrawMs = 0;
    while (w.LigneCourante <= rows) {
        const qint64 due = rig.clock.now() + 1000;
        const int before = w.LigneCourante;
        port.first = -1;
        QElapsedTimer t;
        t.start();
        w.Horloge_Timer();
        const qint64 ns = t.nsecsElapsed() - port.span();
        if (w.LigneCourante > before)
            rowMs.push_back(float(ns / 1e6));
        rig.clock.advance(std::max<qint64>(0, due - rig.clock.now()));
        if (w.LigneCourante % 1000 == 0) {
            rig.port.clearHistory(); // the simulated line's own record of every exchange
            QElapsedTimer r;
            r.start();
            w.RafraichirGraphe();
            w.CWGraphAppareil->grab();
            redrawMs = std::max(redrawMs, r.nsecsElapsed() / 1e6);
        }
    }
    const double rss = bench::residentKb() / 1024.0;

    // Redraw after ticking a box on the whole week.
    w.CheckGraphes[0]->setChecked(false);
    QElapsedTimer tick;
    tick.start();
    w.CheckGraphes[0]->setChecked(true);
    w.CWGraphAppareil->grab();
    const double tickMs = tick.nsecsElapsed() / 1e6;

    std::printf("supervision rows=%zu row_ms_median=%.3f row_ms_p99=%.3f rss_mb=%.1f "
                "redraw_ms=%.1f\n",
                rowMs.size(), percentile(rowMs, 0.5), percentile(rowMs, 0.99), rss, redrawMs);
    std::printf("redraw after ticking a box: %.1f ms; slowest row %.1f ms; record file %lld bytes; "
                "whole run %.1f s\n",
                tickMs, *std::max_element(rowMs.begin(), rowMs.end()),
                static_cast<long long>(QFile(w.recordPath()).size()), whole.elapsed() / 1000.0);
    w.Bouton_Click();
    w.Horloge_Timer();
    return 0;
}
