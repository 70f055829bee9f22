// A rack of boards (argv[1], default 16): tavoem-sim on pseudo-terminals pacing their answers at
// 19200 baud, TempsPause2 = 2, watched by `tavoemctl monitor --period 1` for 60 s (argv[2]:
// another number of seconds). /metrics is fetched four times a second over HTTP: each fetch is
// timed, and each new row of a port (its exchange counter moved) gives that row's duration. The
// monitor's CPU time and peak resident memory come from /proc. Then bench/fleet_pyserial.py
// polls the same boards as long, one thread each, for the comparison line. With 16 boards or
// fewer, sim/demo-image.hex is then downloaded (customer sequence) to the boards one after
// another, and to all of them by one batch run.
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "support/Pty.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <csignal>
#include <cstdio>
#include <vector>

using namespace tav;

namespace {

constexpr int kBaud = 19200;

// GET /metrics on 127.0.0.1:port; the body, or empty.
QByteArray fetchMetrics(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        const char request[] = "GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (::write(fd, request, sizeof request - 1) == ssize_t(sizeof request - 1)) {
            char buf[65536];
            for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
                reply.append(buf, n);
        }
    }
    ::close(fd);
    const qsizetype body = reply.indexOf("\r\n\r\n");
    return body < 0 ? QByteArray() : reply.mid(body + 4);
}

// port label -> value of every series of `family`.
QMap<QString, double> family(const QByteArray& text, const char* name) {
    QMap<QString, double> m;
    const QRegularExpression re(QStringLiteral("^%1\\{[^}]*port=\"([^\"]*)\"[^}]*\\} (\\S+)$")
                                    .arg(QLatin1String(name)),
                                QRegularExpression::MultilineOption);
    for (auto it = re.globalMatch(QString::fromLatin1(text)); it.hasNext();) {
        const auto match = it.next();
        m[match.captured(1)] = match.captured(2).toDouble();
    }
    return m;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// CPU seconds (user + system) of a process.
double cpuSeconds(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(')').value(1).trimmed().split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// Peak resident memory of a process in MB.
double peakRssMb(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

QString ctlBinary() {
    const QString env = qEnvironmentVariable("TAVOEMCTL_BIN");
    return env.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/tavoemctl")
                         : env;
}

// tavoemctl with `args`; its exit status (-1 when it did not end within `ms`).
int runCtl(const QStringList& args, int ms = 120000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(ctlBinary(), args);
    if (!p.waitForFinished(ms))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int kBoards = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 256) : 16;
    const int seconds = argc > 2 ? std::max(5, std::atoi(argv[2])) : 60;
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(program);
    EcrireParametresDefaut(program);
    EcrireTextesDefaut(program + QStringLiteral("/langue.ini"));
    const QString ini = program + QStringLiteral("/General.ini");
    EcrireIni(ini, "RS232", "BAUD", QString::number(kBaud));
    EcrireIni(ini, "RS232", "TempsPause2", QStringLiteral("2"));

    std::vector<std::unique_ptr<test::SimProcess>> sims;
    QStringList ports, devices;
    for (int i = 0; i < kBoards; ++i) {
        sims.push_back(std::make_unique<test::SimProcess>());
        if (!sims[i]->start({QStringLiteral("--no-noise"), QStringLiteral("--realtime"),
                            QStringLiteral("--baud"), QString::number(kBaud),
                            QStringLiteral("--serial"),
                            QStringLiteral("FLEET-%1").arg(i + 1, 2, 10, QChar(u'0'))})) {
            std::fprintf(stderr, "tavoem-sim did not start: %s\n",
                         qPrintable(sims[i]->errorOutput()));
            return 1;
        }
        ports << QStringLiteral("--port") << sims[i]->devicePath();
        devices << sims[i]->devicePath();
    }

    QProcess monitor;
    test::ownGroup(monitor);
    monitor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    monitor.start(ctlBinary(), QStringList{QStringLiteral("monitor"), QStringLiteral("--program-dir"),
                                           program, QStringLiteral("--period"), QStringLiteral("1"),
                                           QStringLiteral("--listen"),
                                           QStringLiteral("127.0.0.1:0")} +
                                   ports);
    if (!monitor.waitForReadyRead(15000)) {
        std::fprintf(stderr, "tavoemctl monitor did not start\n");
        return 1;
    }
    const int httpPort = QUrl(QString::fromLocal8Bit(monitor.readLine()).trimmed()).port();
    const qint64 pid = monitor.processId();

    // Every board up before the measured minute.
    for (QElapsedTimer t; t.start(), true;) {
        const auto up = family(fetchMetrics(httpPort), "tav_board_up");
        if (std::count(up.begin(), up.end(), 1.0) == kBoards)
            break;
        if (t.elapsed() > 30000) {
            std::fprintf(stderr, "not every board answered the monitor\n");
            return 1;
        }
        QThread::msleep(200);
    }

    std::vector<double> rowMs, scrapeMs;
    QMap<QString, double> exchanges = family(fetchMetrics(httpPort), "tav_exchanges_total");
    const double cpuBefore = cpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < qint64(seconds) * 1000) {
        QThread::msleep(250);
        QElapsedTimer t;
        t.start();
        const QByteArray text = fetchMetrics(httpPort);
        scrapeMs.push_back(double(t.nsecsElapsed()) / 1e6);
        const auto now = family(text, "tav_exchanges_total");
        const auto duration = family(text, "tav_last_row_duration_seconds");
        for (auto it = now.begin(); it != now.end(); ++it)
            if (exchanges.value(it.key()) != it.value() && duration.contains(it.key()))
                rowMs.push_back(duration.value(it.key()) * 1000);
        exchanges = now;
    }
    const double cpuPct = (cpuSeconds(pid) - cpuBefore) / (double(wall.elapsed()) / 1000) * 100;
    const double rssMb = peakRssMb(pid);
    QElapsedTimer stopping;
    stopping.start();
    ::kill(pid_t(pid), SIGTERM);
    if (!monitor.waitForFinished(15000))
        std::fprintf(stderr, "the monitor did not stop within 15 s of SIGTERM\n");
    std::fprintf(stderr, "monitor stopped in %.2f s\n", double(stopping.elapsed()) / 1000);

    std::printf("fleet boards=%d period_s=1 pause2_ms=2 row_ms_p50=%.1f row_ms_p99=%.1f "
                "cpu_pct=%.1f rss_mb=%.1f scrape_ms_p99=%.1f\n",
                kBoards, percentile(rowMs, 0.5), percentile(rowMs, 0.99), cpuPct, rssMb,
                percentile(scrapeMs, 0.99));
    std::fflush(stdout);
    std::fprintf(stderr, "%zu rows, %zu scrapes\n", rowMs.size(), scrapeMs.size());

    // The same rows scripted with pyserial, one thread a board, for as long.
    QProcess py;
    py.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    py.start(QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                               : QStringLiteral("python3"),
             QStringList{QStringLiteral(TAV_BENCH_DIR "/fleet_pyserial.py"), QStringLiteral("--baud"),
                         QString::number(kBaud), QStringLiteral("--pause"), QStringLiteral("2"),
                         QStringLiteral("--seconds"), QString::number(seconds)} +
                 devices);
    const QRegularExpression p99(QStringLiteral("row_ms_p99=([0-9.]+)"));
    if (py.waitForFinished(qint64(seconds) * 1000 + 60000) && py.exitCode() == 0) {
        const QString line = QString::fromLocal8Bit(py.readAllStandardOutput()).trimmed();
        const double theirs = p99.match(line).captured(1).toDouble();
        std::printf("%s ratio_p99=%.2f\n", qPrintable(line),
                    theirs > 0 ? percentile(rowMs, 0.99) / theirs : 0.0);
    } else {
        std::fprintf(stderr, "pyserial comparison did not run\n");
    }
    std::fflush(stdout);
    if (kBoards > 16) {
        std::fprintf(stderr, "downloads: measured with 16 boards or fewer\n");
        return 0;
    }

    const QString image = QStringLiteral(TAV_BENCH_DIR "/../sim/demo-image.hex");
    const QStringList download{QStringLiteral("download"), QStringLiteral("--program-dir"), program,
                               QStringLiteral("--client"), QStringLiteral("--quiet"), image};
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kBoards; ++i)
        if (runCtl(download + QStringList{QStringLiteral("--port"), sims[i]->devicePath()}) != 0) {
            std::fprintf(stderr, "download to board %d failed\n", i + 1);
            return 1;
        }
    const double serialS = double(t.elapsed()) / 1000;
    t.restart();
    if (runCtl(download + ports) != 0) {
        std::fprintf(stderr, "batch download failed\n");
        return 1;
    }
    std::printf("batch boards=%d serial_s=%.2f parallel_s=%.2f\n", kBoards, serialS,
                double(t.elapsed()) / 1000);
    return 0;
}
