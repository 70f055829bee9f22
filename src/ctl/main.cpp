// tavoemctl: the board from the command line, for scripts and production lines.
#include "core/Version.h"
#include "core/io/RuntimeDir.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"

#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

struct Subcommand {
    const char* name;
    int (*run)(const QStringList& args);
    const char* summary;
    bool gui = false; // paints (fonts, PDF): needs a Qt Gui application
};

const Subcommand kSubcommands[] = {
    {"send", tav::ctl::runSend, "send commands, print the raw answers"},
    {"read", tav::ctl::runRead, "read the configuration values (MNE=value lines or JSON)"},
    {"crypt", tav::ctl::runCrypt, "scramble a plain configuration file (internal variant)"},
    {"decrypt", tav::ctl::runDecrypt, "unscramble the program folder's configuration file"},
    {"load-config", tav::ctl::runLoadConfig, "send a scrambled configuration file"},
    {"download", tav::ctl::runDownload, "download an Intel-HEX file to the board"},
    {"record", tav::ctl::runRecord, "record supervision rows (record format or CSV)"},
    {"report", tav::ctl::runReport, "write the configuration report to a PDF file", true},
    {"detect-baud", tav::ctl::runDetectBaud, "find the board's line rate (--store keeps it)"},
    {"monitor", tav::ctl::runMonitor, "poll many boards, serve their metrics to Prometheus"},
};

void usage(FILE* to) {
    std::fputs("Usage: tavoemctl SUBCOMMAND [options] [arguments]\n"
               "Drives a TAV OEM amplifier board over its serial line, for scripts.\n\n"
               "Subcommands:\n",
               to);
    for (const Subcommand& c : kSubcommands)
        std::fprintf(to, "  %-12s %s\n", c.name, c.summary);
    std::fputs("\nCommon options, before or after the subcommand: --program-dir DIR,\n--port "
               "PORT, --baud N, --timeout MS, --quiet, --json.\n\"tavoemctl SUBCOMMAND --help\" "
               "describes one subcommand.\n"
               "Exit status: 0 done, 1 the board refused or did not answer, 2 bad usage or\na "
               "file error, 130 stopped with Ctrl-C.\n",
               to);
}

const Subcommand* find(const QString& name) {
    for (const Subcommand& c : kSubcommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    const Subcommand* command = find(tav::ctl::subcommandFirst(raw).value(0));
    tav::namePrivateRuntimeDir();
    std::unique_ptr<QCoreApplication> app;
    if (command && command->gui) {
        // No window is ever shown: unless a platform is chosen, paint off screen, so that
        // the program runs the same with or without a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tavoem"));
    QCoreApplication::setOrganizationName(QStringLiteral("TAV"));
    QCoreApplication::setApplicationVersion(tav::versionText());

    const QStringList args = tav::ctl::subcommandFirst(QCoreApplication::arguments().mid(1));
    const QString name = args.value(0);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        usage(stdout);
        return tav::ctl::kOk;
    }
    if (name == QLatin1String("--version")) {
        std::printf("tavoemctl %s\n", qPrintable(tav::versionText()));
        return tav::ctl::kOk;
    }
    if (command)
        return command->run(args.mid(1));
    QStringList names;
    for (const Subcommand& c : kSubcommands)
        names << QLatin1String(c.name);
    const QString near = tav::ctl::nearestName(name, names);
    if (name.isEmpty())
        std::fputs("tavoemctl: a subcommand is needed.\n\n", stderr);
    else if (!near.isEmpty())
        std::fprintf(stderr, "tavoemctl: unknown subcommand \"%s\"; did you mean \"%s\"?\n\n",
                     qPrintable(name), qPrintable(near));
    else
        std::fprintf(stderr, "tavoemctl: unknown subcommand \"%s\".\n\n", qPrintable(name));
    usage(stderr);
    return tav::ctl::kUsage;
}
