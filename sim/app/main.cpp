// tavoem-sim: a simulated TAV OEM amplifier board on a pseudo-terminal.

#include "SimServer.h"

#include "core/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using tav::sim::SimOptions;
using tav::sim::SimServer;

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

// "0.2" or "20%".
bool parseRate(const QString& text, double* rate) {
    bool ok = false;
    const bool percent = text.endsWith(QLatin1Char('%'));
    double v = (percent ? text.chopped(1) : text).toDouble(&ok);
    if (percent) v /= 100.0;
    if (!ok || v < 0 || v > 1) return false;
    *rate = v;
    return true;
}

const char kDescription[] =
    "A simulated TAV OEM amplifier board behind a pseudo-terminal.\n"
    "\n"
    "Prints the terminal's device path on the first line of standard output; point the\n"
    "program's serial port at that path (or at the --link path). The board answers one line\n"
    "ending in a carriage return to each command line ending in a carriage return.\n"
    "\n"
    "Line settings: the simulator reads the rate the client set on the terminal and answers\n"
    "only at --baud. Parity, data bits and stop bits have no effect on a pseudo-terminal, so\n"
    "they are not checked: any setting works at the right rate.\n"
    "\n"
    "Standard input commands (one per line):\n"
    "  unplug          close the terminal, as when a USB adapter is pulled out\n"
    "  replug          a new terminal (new path printed) behind the same --link\n"
    "  pin DBM         input power in dBm\n"
    "  case DEGC       case temperature in degrees C\n"
    "  supply VOLTS    supply voltage (alarm outside 4.75..5.25 V)\n"
    "  ext FRACTION    external set point of AACC/AAPC, 0..1\n"
    "  xxx MNE         reads of MNE answer xxx; avail MNE undoes it\n"
    "  status          one line with the board's state\n"
    "  help            the list of commands\n"
    "  quit            exit\n"
    "Standard output then carries one line per event: a device path after replug,\n"
    "\"unplugged\", \"ok\", \"error: ...\" or the status line.";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavoem-sim"));
    QCoreApplication::setApplicationVersion(tav::versionText());

    QCommandLineParser p;
    p.setApplicationDescription(QString::fromLatin1(kDescription));
    p.addHelpOption();
    p.addVersionOption();
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Board rate (default 19200)."),
                                  QStringLiteral("RATE"), QStringLiteral("19200"));
    const QCommandLineOption wrongBaud(
        QStringLiteral("wrong-baud"),
        QStringLiteral("At another rate: silent (default) or garbage."), QStringLiteral("MODE"),
        QStringLiteral("silent"));
    const QCommandLineOption realtime(
        QStringLiteral("realtime"),
        QStringLiteral("Characters leave at the pace of the rate (10 bits each)."));
    const QCommandLineOption noAnswer(
        QStringLiteral("no-answer-rate"),
        QStringLiteral("Share of commands left unanswered, 0..1 or N%."), QStringLiteral("P"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"),
                                   QStringLiteral("Delay before each answer."),
                                   QStringLiteral("N"));
    const QCommandLineOption split(QStringLiteral("split-answer"),
                                   QStringLiteral("Send each answer in two bursts MS apart."),
                                   QStringLiteral("MS"));
    const QCommandLineOption garbageRate(
        QStringLiteral("garbage-rate"),
        QStringLiteral("Share of answers replaced by garbage, 0..1 or N%."), QStringLiteral("P"));
    const QCommandLineOption xxx(
        QStringLiteral("xxx"),
        QStringLiteral("Reads of this mnemonic answer xxx (repeatable, or a comma list)."),
        QStringLiteral("MNE"));
    const QCommandLineOption dropAfter(
        QStringLiteral("drop-after"),
        QStringLiteral("Close the terminal after N commands (an unplugged adapter)."),
        QStringLiteral("N"));
    const QCommandLineOption link(
        QStringLiteral("link"),
        QStringLiteral("Keep a symbolic link PATH to the current terminal."),
        QStringLiteral("PATH"));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("Log every line received and sent, with ms timestamps."),
        QStringLiteral("FILE"));
    const QCommandLineOption state(
        QStringLiteral("state"),
        QStringLiteral("EEPROM file: parameters saved by WKP=1 survive a restart."),
        QStringLiteral("FILE"));
    const QCommandLineOption exitOnEof(QStringLiteral("exit-on-eof"),
                                       QStringLiteral("Exit at the end of standard input."));
    const QCommandLineOption noNoise(QStringLiteral("no-noise"),
                                     QStringLiteral("Readings without noise."));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the noise and failure draws."),
                                  QStringLiteral("N"));
    const QCommandLineOption pin(QStringLiteral("pin"),
                                 QStringLiteral("Initial input power in dBm (default -3)."),
                                 QStringLiteral("DBM"));
    const QCommandLineOption caseTemp(
        QStringLiteral("case"),
        QStringLiteral("Initial case temperature in degrees C (default 25)."),
        QStringLiteral("DEGC"));
    const QCommandLineOption serial(
        QStringLiteral("serial"),
        QStringLiteral("Serial number (SNU?): 1 to 16 letters, digits, '-', '_', '.'."),
        QStringLiteral("TEXT"));
    const QCommandLineOption version(
        QStringLiteral("board-version"),
        QStringLiteral("Software version the board reports (VER?); --version prints the "
                       "simulator's own."),
        QStringLiteral("TEXT"));
    p.addOptions({baud, wrongBaud, realtime, noAnswer, delay, split, garbageRate, xxx, dropAfter,
                  link, log, state, exitOnEof, noNoise, seed, pin, caseTemp, serial, version});
    p.process(app);

    SimOptions o;
    QStringList errors;
    auto number = [&](const QCommandLineOption& opt, auto* out, double min, double max) {
        if (!p.isSet(opt)) return;
        bool ok = false;
        const double v = p.value(opt).toDouble(&ok);
        if (!ok || v < min || v > max)
            errors << QStringLiteral("--%1: %2 is not a number in %3..%4")
                          .arg(opt.names().first(), p.value(opt))
                          .arg(min)
                          .arg(max);
        else
            *out = static_cast<std::remove_pointer_t<decltype(out)>>(v);
    };
    number(baud, &o.baud, 50, 4000000);
    number(delay, &o.delayMs, 0, 600000);
    number(split, &o.splitAnswerMs, 0, 600000);
    number(dropAfter, &o.dropAfter, 0, 1e9);
    number(seed, &o.seed, 0, 4294967295.0);
    number(pin, &o.inputPower, -90, 40);
    number(caseTemp, &o.caseTemperature, -100, 200);
    for (const auto* r : {&noAnswer, &garbageRate}) {
        if (p.isSet(*r) &&
            !parseRate(p.value(*r), r == &noAnswer ? &o.noAnswerRate : &o.garbageRate))
            errors << QStringLiteral("--%1: %2 is not a share 0..1 or N%")
                          .arg(r->names().first(), p.value(*r));
    }
    const QString wb = p.value(wrongBaud).toLower();
    if (wb != QLatin1String("silent") && wb != QLatin1String("garbage"))
        errors << QStringLiteral("--wrong-baud: silent or garbage");
    o.wrongBaudGarbage = wb == QLatin1String("garbage");
    o.realtime = p.isSet(realtime);
    for (const QString& v : p.values(xxx))
        o.unavailable += v.split(QLatin1Char(','), Qt::SkipEmptyParts);
    o.link = p.value(link);
    o.log = p.value(log);
    o.state = p.value(state);
    o.exitOnEof = p.isSet(exitOnEof);
    o.noise = !p.isSet(noNoise);
    o.serial = p.value(serial);
    if (p.isSet(serial) &&
        !QRegularExpression(QStringLiteral("^[A-Za-z0-9._-]{1,16}$")).match(o.serial).hasMatch())
        errors << QStringLiteral("--serial: 1 to 16 letters, digits, '-', '_' or '.'");
    o.version = p.value(version);
    if (p.isSet(version) && (o.version.isEmpty() || o.version.contains(QLatin1Char('\r'))))
        errors << QStringLiteral("--board-version: a text on one line");
    if (!p.positionalArguments().isEmpty())
        errors << QStringLiteral("unexpected argument %1").arg(p.positionalArguments().first());
    if (!errors.isEmpty()) {
        for (const QString& e : errors)
            std::fprintf(stderr, "tavoem-sim: %s\n", qPrintable(e));
        return 2;
    }

    // SIGINT, SIGTERM and SIGHUP end the event loop cleanly (the link is removed on the way out).
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGHUP, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
        app.quit();
    });

    SimServer server(o);
    QObject::connect(&server, &SimServer::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "tavoem-sim: %s\n", qPrintable(error));
        return 1;
    }

    // Standard input: operator commands, one per line.
    QByteArray pending;
    QSocketNotifier stdinNotifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinNotifier, &QSocketNotifier::activated, &app, [&] {
        char buf[1024];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
            stdinNotifier.setEnabled(false);
            if (!pending.isEmpty()) server.stdinLine(pending);
            pending.clear();
            server.stdinEnded();
            return;
        }
        pending.append(buf, static_cast<int>(n));
        if (pending.size() > 4096 && !pending.contains('\n')) pending.clear(); // not a command line
        int nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(nl);
            pending.remove(0, nl + 1);
            server.stdinLine(line);
        }
    });

    const int rc = app.exec();
    server.shutdown();
    return rc;
}
