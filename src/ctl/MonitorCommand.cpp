// monitor: many boards polled at once, their state served to Prometheus.
#include "core/fleet/PortWorker.h"
#include "core/settings/ExchangeSettings.h"
#include "core/settings/ProgramDir.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"

#include <QRegularExpression>

#include "core/fleet/PortWatch.h"
#include "core/supervision/Recorder.h"
#include "ctl/MetricsServer.h"


#include <algorithm>
#include <csignal>
#include <cstring>
#include <netdb.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tav::ctl {

namespace {

// The workers of the ports watched now; the scrapes read them while ports come and go.
class Fleet {
public:
    Fleet(WorkerSettings settings, std::function<void(const QString&)> note)
        : settings_(std::move(settings)), note_(std::move(note)) {}
    ~Fleet() {
        std::lock_guard lock(mutex_);
        for (const auto& w : workers_)
            w->requestStop();
        for (const auto& w : workers_)
            w->wait();
    }
    void add(const QString& port, int delayMs = 0) {
        WorkerSettings w = settings_;
        w.port = port;
        w.firstRowDelayMs = delayMs;
        w.note = note_;
        auto worker = std::make_unique<PortWorker>(std::move(w));
        worker->start();
        std::lock_guard lock(mutex_);
        workers_.push_back(std::move(worker));
    }
    // Its series leave the metrics at once; the worker ends within one exchange.
    void remove(const QString& port) {
        std::unique_ptr<PortWorker> gone;
        {
            std::lock_guard lock(mutex_);
            const auto it = std::ranges::find_if(
                workers_, [&](const auto& w) { return w->snapshot().port == port; });
            if (it == workers_.end())
                return;
            gone = std::move(*it);
            workers_.erase(it);
        }
        gone.reset();
    }
    // The exposition of every board's state now.
    std::string exposition() const {
        std::vector<BoardState> boards;
        {
            std::lock_guard lock(mutex_);
            for (const auto& w : workers_)
                boards.push_back(w->snapshot());
        }
        return tav::exposition(fleetSamples(boards, captions_, clock_.now()));
    }

private:
    WorkerSettings settings_;
    std::function<void(const QString&)> note_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<PortWorker>> workers_;
    BitCaptions captions_ = defaultBitCaptions();
    SystemClock clock_;
};

// How long a silent board takes to be marked down with the settings stored in the program
// folder named in `args` (nothing is written).
QString silentRowText(const QStringList& args) {
    QString dir;
    for (qsizetype i = 0; i < args.size(); ++i)
        if (args[i] == QLatin1String("--program-dir"))
            dir = args.value(i + 1);
        else if (args[i].startsWith(QLatin1String("--program-dir=")))
            dir = args[i].section(u'=', 1);
    SystemClock clock;
    QtSerialPort port;
    ConsolePrompts prompts;
    AppState s(dir.isEmpty() ? programDirectory() : dir, port, clock, prompts);
    ChargerReglagesEchange(s);
    return QStringLiteral("%1 s").arg(double(silentRowMs(s, int(monitorReads().size()))) / 1000.0);
}

// Why the address cannot be listened on, learned by binding it once as the web server does.
QString bindFailure(const QString& address) {
    QString host = address.section(u':', 0, -2);
    if (host.startsWith(u'['))
        host = host.mid(1, host.size() - 2);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const QByteArray service = address.section(u':', -1).toLatin1();
    if (const int e = getaddrinfo(host.toLocal8Bit().constData(), service.constData(), &hints,
                                  &found))
        return QStringLiteral("%1 (%2)").arg(host, QString::fromLocal8Bit(gai_strerror(e)));
    // When the system lets us listen there, the library refused on its own: an IPv6 address
    // (Debian's web library is built without IPv6), or a port freed meanwhile.
    QString reason = found && found->ai_family == AF_INET6
                         ? QStringLiteral("the web library serves IPv4 addresses only")
                         : QStringLiteral("the web library gave no reason; the address is free now");
    for (addrinfo* a = found; a; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        const int on = 1;
        const bool listened = fd >= 0 &&
                              setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                              bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 1) == 0;
        const int error = errno;
        if (fd >= 0)
            close(fd);
        if (!listened) {
            reason = QString::fromLocal8Bit(std::strerror(error));
            break;
        }
    }
    freeaddrinfo(found);
    return reason;
}

} // namespace

int runMonitor(const QStringList& args) {
    const bool help = args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
    Run run(QStringLiteral("monitor"), QString(),
            QStringLiteral(
                "Polls every board given with --port (repeated), --ports-glob (repeated) or "
                "--ports-from, each on its own thread with the line settings as they stand at "
                "start, and serves their state at http://LISTEN/metrics for Prometheus until "
                "SIGTERM or Ctrl-C (files and ports closed, status 0). Each board is asked \"SNU?\" "
                "and \"VER?\" when it first answers and after every loss, then every --period "
                "seconds the reads %2 (the supervision reads, the warning word, the laser "
                "state). "
                "Metrics: tav_input_power_dbm, tav_output_power_dbm, tav_output_power_phs2_dbm, "
                "tav_diode1_current_amperes, tav_laser_diode_current_amperes, "
                "tav_laser_diode_temperature_celsius, tav_case_temperature_celsius (labels port, "
                "serial; absent when the board gives no value), tav_alarm{bit,alarm}, "
                "tav_warning{bit,warning} (0 or 1; absent unless the word is 2 to 8 characters "
                "0 and 1), tav_laser_on (1 when \"STS?\" answers ON in any case, 0 for another "
                "answer; absent for xxx, a garbled answer or none), tav_board_up, "
                "tav_board_info{version}, "
                "tav_last_row_age_seconds, tav_last_row_duration_seconds, tav_exchanges_total, "
                "tav_timeouts_total, tav_reconnections_total, tav_late_answers_total (answers "
                "later than the time-out: raise --timeout above the board's lateness). A pulled "
                "adapter is down at its next row; a board that is present but silent is down "
                "after one row without any answer, which takes up to %3 reads x attempts x (pause "
                "+ time-out) plus one wait for the answers still owed (the longer of 3 s and "
                "twice one read's attempts): %1 with the stored settings. The "
                "address of the metrics is printed on standard output.")
                .arg(help ? silentRowText(args) : QString(),
                     monitorReads().join(QStringLiteral("? ")) + u'?')
                .arg(monitorReads().size()),
            Json::Refused);
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Seconds between rows (default 5)."),
                                    QStringLiteral("s"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("HOST:PORT of the metrics (default 127.0.0.1:9464, this machine only; port "
                       "0 picks a free one). Any other address opens the metrics, without "
                       "authentication, to whoever reaches it: your explicit choice."),
        QStringLiteral("addr"), QStringLiteral("127.0.0.1:9464"));
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Also write each board's rows to "
                                                   "DIR/<serial number><extension> (.csv for csv "
                                                   "and data; _2, _3... when taken)."),
                                    QStringLiteral("dir"));
    const QCommandLineOption recordFormatOption = ctl::recordFormatOption(
        QStringLiteral("record-format"));
    const QCommandLineOption glob(
        QStringLiteral("ports-glob"),
        QStringLiteral("Also watch the serial devices this shell pattern matches "
                       "(/dev/serial/by-path/*, ttyUSB* for /dev/ttyUSB*), matched again every "
                       "second: a new one is polled at once; one that goes is shown down, and "
                       "its series leave the metrics after --forget seconds unless it comes "
                       "back. A --ports-from line holding *, ? or [ is such a pattern too."),
        QStringLiteral("pattern"));
    const QCommandLineOption forget(
        QStringLiteral("forget"),
        QStringLiteral("Seconds a port gone from its pattern stays in the metrics, down (default "
                       "600: long enough for an alert on tav_board_up to fire). A port given "
                       "by name always stays."),
        QStringLiteral("s"));
    run.parser.addOptions({period, listen, record, recordFormatOption, glob, forget});
    run.setPortListOptions(false);
    if (const int st = run.parse(args); st >= 0)
        return st;
    bool ok = true;
    const qint64 periodS = run.number(period, 1, 86400, 5, &ok);
    const qint64 forgetS = ok ? run.number(forget, 1, 86400 * 365, 600, &ok) : 0;
    if (!ok)
        return kUsage;
    const std::optional<RecordFormat> recordFormat =
        recordFormatNamed(run.parser.value(recordFormatOption));
    if (!recordFormat)
        return run.fail(kUsage, QStringLiteral("--record-format takes window, csv or data, not "
                                               "\"%1\"")
                                    .arg(run.parser.value(recordFormatOption)));
    QStringList ports;
    if (!run.ports(&ports, true))
        return kUsage;
    QStringList patterns = run.parser.values(glob);
    for (const QString& p : std::as_const(ports))
        if (isPortPattern(p))
            patterns << p;
    ports.removeIf(isPortPattern);
    if (ports.isEmpty() && patterns.isEmpty())
        return run.fail(kUsage, QStringLiteral("no port to watch; give --port (repeated), "
                                               "--ports-glob PATTERN or --ports-from FILE"));
    if (!run.distinctPorts(ports))
        return kUsage;
    const QString address = run.parser.value(listen);
    if (!QRegularExpression(QStringLiteral("^(\\[[0-9a-fA-F:.]+\\]|[^:\\[\\]]+):[0-9]{1,5}$"))
             .match(address)
             .hasMatch() ||
        address.section(u':', -1).toInt() > 65535)
        return run.fail(kUsage, QStringLiteral("--listen takes HOST:PORT (127.0.0.1:9464, "
                                               "localhost:9464), not \"%1\"")
                                    .arg(address));

    // SIGINT and SIGTERM wait for sigtimedwait below: blocked before any thread starts, so that
    // no thread of the web server or of a board takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    // An ignored signal never reaches sigtimedwait (a shell starts background jobs ignoring SIGINT).
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (const QString host = address.section(u':', 0, -2);
        !host.startsWith(u"127.") && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        run.note(QStringLiteral("tavoemctl monitor: the metrics at %1 are readable, without "
                                "authentication, by whoever reaches this address; guard them as "
                                "the README section \"Metrics beyond this machine\" shows")
                     .arg(address));
    const AppState& s = run.state();
    WorkerSettings settings;
    settings.programDir = s.programDir;
    settings.baudOverride = s.baudOverride;
    settings.timeoutOverride = s.TempsTimeout;
    settings.periodS = int(periodS);
    settings.recordDir = run.parser.value(record);
    settings.recordFormat = *recordFormat;
    Fleet fleet(settings, [&run](const QString& line) { run.fail(kRefused, line); });
    std::unique_ptr<MetricsServer> server;
    try {
        // Enough workers, and a short time-out for a request that does not come, so that idle
        // or slow clients never hold the metrics from Prometheus.
        server = std::make_unique<MetricsServer>(
            std::vector<std::string>{"listening_ports", address.toStdString(), "num_threads",
                                     "16", "request_timeout_ms", "2000"},
            [&fleet] { return fleet.exposition(); });
    } catch (const std::exception&) {
        // The library's own text says nothing useful ("null context ..."): the system says why.
        return run.fail(kUsage, QStringLiteral("cannot serve the metrics at %1: %2; use --listen "
                                               "to choose another")
                                    .arg(address, bindFailure(address)));
    }
    // The ports given at the start take their rows spread over the period, not all at once:
    // the station's load stays even, and a scrape never waits behind every board's row.
    for (qsizetype i = 0; i < ports.size(); ++i)
        fleet.add(ports[i], int(periodS * 1000 * i / ports.size()));

    const QString host = address.section(u':', 0, -2);
    const std::vector<int> bound = server->ports();
    out(QStringLiteral("http://%1:%2/metrics").arg(host).arg(bound.empty() ? 0 : bound.front()));
    run.note(QStringLiteral("tavoemctl monitor: %1 port(s)%3, a row every %2 s; SIGTERM or "
                            "Ctrl-C stops")
                 .arg(ports.size())
                 .arg(periodS)
                 .arg(patterns.isEmpty() ? QString()
                                         : QStringLiteral(" and those of ") +
                                               patterns.join(QStringLiteral(", "))));
    // The patterns are matched again every second until a stop signal comes.
    PortWatch watch(forgetS * 1000);
    SystemClock clock;
    for (;;) {
        if (!patterns.isEmpty()) {
            const PortWatch::Change c = watch.update(matchPorts(patterns, ports), clock.now());
            for (const QString& p : c.forgotten) {
                fleet.remove(p);
                run.note(QStringLiteral("%1: gone for %2 s; its series leave the metrics")
                             .arg(p)
                             .arg(forgetS));
            }
            for (const QString& p : c.added) {
                run.note(QStringLiteral("%1: found, polled from now on").arg(p));
                fleet.add(p);
            }
        }
        const timespec second{1, 0};
        if (sigtimedwait(&stopSignals, nullptr, &second) > 0)
            break;
    }
    server.reset();
    return kOk;
}

} // namespace tav::ctl
