// Download of a 2,000-record Intel-HEX image (16 data bytes per record) through the customer
// sequence ("UPL=1", every record acknowledged, "UPL=2", "UPL=3") to tavoem-sim on a
// pseudo-terminal sending at the pace of 115200 baud, with TempsPause2 = 2 and no pause between
// lines (LOAD_HEX_FILE/TxtSleep absent). Prints the total time against the line limit: the
// bytes of every command and answer (carriage returns included) at 10 bits per byte, plus the
// pauses the exchange mandates around each command line (TempsPause2: 1 ms before and 1 ms after
// it). The silence that ends each answer is this program's own choice and not in the limit.
// The simulator paces only what it sends: a pseudo-terminal takes the program's own lines at
// once, so the ratio can fall below 1 (the records are 44 of the 46 bytes of each exchange).
// 2,000 data records and the end-of-file record are sent: records=2001.
#include "core/AppState.h"
#include "core/download/Download.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"

#include "RealtimeRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace tav;

namespace {

constexpr int kBaud = 115200;
constexpr int kRecords = 2000;
constexpr int kPauseMs = 2;

QString record(const QByteArray& data, int address, int type) {
    QByteArray bytes;
    bytes.append(char(data.size())).append(char(address >> 8)).append(char(address & 0xFF));
    bytes.append(char(type)).append(data);
    quint8 sum = 0;
    for (char c : bytes)
        sum += quint8(c);
    bytes.append(char(quint8(-sum)));
    return u':' + QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::RealtimeRig rig;
    if (!rig.start(kBaud))
        return 1;
    AppState& s = rig.s;
    EcrireIni(s.generalIni(), "RS232", "TempsPause2", QString::number(kPauseMs));
    s.TempsTimeout = 250;
    if (!OuvrirPort(s)) {
        std::fprintf(stderr, "no link to the simulator\n");
        return 1;
    }

    QStringList lines;
    for (int i = 0; i < kRecords; ++i) {
        QByteArray data(16, 0);
        for (int j = 0; j < 16; ++j)
            data[j] = char(i * 16 + j * 7);
        lines << record(data, (i * 16) & 0xFFFF, 0);
    }
    lines << record({}, 0, 1);

    // Bytes on the line: each command + CR and its answer + CR ("!" per record, "UPL!" per UPL).
    const QStringList upl{"UPL=1", "UPL=2", "UPL=3"};
    qint64 bytes = 0;
    for (const QString& l : lines)
        bytes += l.size() + 1 + 2;
    for (const QString& c : upl)
        bytes += c.size() + 1 + 5;
    const qint64 commands = lines.size() + upl.size();
    const double limitS = (bytes * 10.0 / kBaud + commands * 2 * halfPause(kPauseMs) / 1000.0);

    s.ReponseBrute = true;
    const QString before = EnvoyerCommande(s, "VER?");
    s.ReponseBrute = false;
    QElapsedTimer t;
    t.start();
    const DownloadResult r = TelechargerClient(s, lines, {});
    const double totalS = t.nsecsElapsed() / 1e9;
    s.ReponseBrute = true;
    const QString after = EnvoyerCommande(s, "VER?");
    if (r.outcome != DownloadOutcome::Succeeded || before == after) {
        std::fprintf(stderr, "download failed: %s (version %s, then %s)\n",
                     qPrintable(rig.prompts.messageTexts().join(" / ")), qPrintable(before),
                     qPrintable(after));
        return 1;
    }
    std::printf("download records=%d total_s=%.2f line_limit_s=%.2f ratio=%.2f\n", r.sent, totalS,
                limitS, totalS / limitS);
    std::fflush(stdout);
    std::fprintf(stderr, "board version %s, then %s\n", qPrintable(before), qPrintable(after));
    return 0;
}
