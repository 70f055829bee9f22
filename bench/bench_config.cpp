// Time of an Import of the configuration window (the full read: serial number, version,
// fifteen parameters, version again, fifteen calibration values and the mode: 34 commands)
// through QSerialPort against tavoem-sim on a pseudo-terminal at the pace of 19200 baud, with
// the default pacing and with TempsPause2 = 2, beside the line-time limit of the same bytes
// (10 bits per character). Then the time to lay out the report and to render it into a PDF.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "PySerial.h"
#include "RealtimeRig.h"
#include "report/ReportLayout.h"
#include "ui/config/FrmConfigManuelle.h"
#include "ui/support/Tooltips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tav;

namespace {

constexpr int kBaud = 19200;
constexpr int kImports = 3;

double charMs(qint64 n) {
    return n * 10.0 * 1000.0 / kBaud;
}

// The read commands of an Import, in order.
QStringList importCommands(const FrmConfigManuelle& w) {
    QStringList c{mnemonicOf(w.TxtSNU), mnemonicOf(w.LabelTxt[0])};
    for (const QLineEdit* box : w.CW)
        c << mnemonicOf(box);
    for (const QLabel* l : w.LabelTxt)
        c << mnemonicOf(l);
    c << QStringLiteral("ASS");
    for (QString& m : c)
        m += u'?';
    return c;
}

double measure(const char* label, AppState& s, FrmConfigManuelle& w) {
    s.ReponseBrute = true;
    qint64 bytes = 0;
    const QStringList commands = importCommands(w);
    for (const QString& c : commands)
        bytes += c.size() + 1 + EnvoyerCommande(s, c).size() + 1;
    s.ReponseBrute = false;
    std::vector<double> ms;
    for (int i = 0; i < kImports; ++i) {
        QElapsedTimer t;
        t.start();
        w.LireParametresCarte(true);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-24s Import median %7.1f ms (%lld commands, %lld bytes: line-time limit "
                "%5.1f ms)\n",
                label, ms[ms.size() / 2], static_cast<long long>(commands.size()),
                static_cast<long long>(bytes), charMs(bytes));
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    bench::RealtimeRig rig;
    if (!rig.start(kBaud)) return 1;
    AppState& s = rig.s;
    s.TempsTimeout = 250;
    s.FenetreActive = FrmConfigManuelle::kCode; // ticks are run here, not by a timer

    FrmConfigManuelle w(s);
    if (w.inert()) {
        std::fprintf(stderr, "no link to the simulator\n");
        return 1;
    }
    std::printf("configuration Import against tavoem-sim at %d baud (real-time line), %d runs\n",
                kBaud, kImports);
    measure("default pacing", s, w);
    EcrireIni(s.generalIni(), "RS232", "TempsPause2", "2");
    const double ours = measure("TempsPause2 = 2", s, w);
    // The same commands scripted with pyserial on the same line, in the same run.
    FermerPort(s);
    const double py = bench::pyserialRoundMs(rig.sim.devicePath(), kBaud, 2, importCommands(w), kImports);
    if (py > 0)
        std::printf("%-24s Import median %7.1f ms (pyserial read_until CR, same commands and "
                    "pauses): ours x%.2f\n",
                    "pyserial", py, ours / py);

    const ConfigReport report = w.report();
    constexpr int kRuns = 20;
    QElapsedTimer t;
    t.start();
    int pages = 0;
    for (int i = 0; i < kRuns; ++i)
        pages = int(layoutReport(report, ReportPageSetup{}).size());
    const double layoutMs = t.nsecsElapsed() / 1e6 / kRuns;
    t.restart();
    for (int i = 0; i < kRuns; ++i)
        exportReportPdf(report, rig.dir.filePath("bench.pdf"), QStringLiteral("05/12/2026"));
    const double pdfMs = t.nsecsElapsed() / 1e6 / kRuns;
    std::printf("report: %d pages, layout %.2f ms, layout and PDF file %.1f ms (mean of %d)\n",
                pages, layoutMs, pdfMs, kRuns);
    w.close();
    return 0;
}
