// download: the two download sequences of the download windows.
#include "core/download/Download.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "ctl/Batch.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "ctl/Interrupt.h"
#include "ctl/Progress.h"

#include <QJsonObject>

namespace tav::ctl {

int runDownload(const QStringList& args) {
    Run run(QStringLiteral("download"), QStringLiteral("FILE"),
            QStringLiteral("Downloads the Intel-HEX FILE to the board with the sequence of the "
                           "variant's download window (--client or --factory to choose; the "
                           "factory one needs the internal variant). The file is checked "
                           "first. Ctrl-C stops the download between two lines (status 130); the "
                           "board then waits for the rest of the image: run the download again "
                           "to its end. "
                           "--json: the result (\"succeeded\", \"failed\" or \"cancelled\"), "
                           "the lines of the file and those sent, and the failing line."),
            Json::Offered, QStringLiteral("The Intel-HEX file."));
    const QCommandLineOption client(QStringLiteral("client"),
                                    QStringLiteral("Customer sequence (UPL=1, the lines, UPL=2, "
                                                   "UPL=3)."));
    const QCommandLineOption factory(QStringLiteral("factory"),
                                     QStringLiteral("Factory sequence: the lines alone."));
    const QCommandLineOption noAck(QStringLiteral("no-ack"),
                                   QStringLiteral("Factory: write each line without waiting for "
                                                  "its acknowledgement."));
    const QCommandLineOption pause(QStringLiteral("pause"),
                                   QStringLiteral("Factory: pause after each line, 0 to 60000 "
                                                  "(default 0)."),
                                   QStringLiteral("ms"));
    run.parser.addOptions({client, factory, noAck, pause});
    run.setYesOption();
    run.setPortListOptions(true);
    if (const int st = run.parse(args, 1, 1); st >= 0)
        return st;
    AppState& s = run.state();
    const bool internal = VarianteUsine(s.programDir);
    if (run.parser.isSet(client) && run.parser.isSet(factory))
        return run.fail(kUsage, QStringLiteral("--client and --factory exclude each other"));
    const bool usine = run.parser.isSet(factory) || (internal && !run.parser.isSet(client));
    if (usine && !internal)
        return run.fail(kUsage, QStringLiteral("the factory download needs the internal variant "
                                               "in the program folder \"%1\"")
                                    .arg(s.programDir));
    if (!usine && (run.parser.isSet(noAck) || run.parser.isSet(pause)))
        return run.fail(kUsage, QStringLiteral("--no-ack and --pause belong to the factory "
                                               "download"));

    bool ok = true;
    const int pauseMs = int(run.number(pause, 0, kMaxPauseMs, 0, &ok));
    if (!ok)
        return kUsage;

    const std::optional<QStringList> lines =
        preparerTelechargement(s, run.positional().at(0), usine);
    if (!lines)
        return kUsage; // the file was refused, with its reason
    const bool ack = !run.parser.isSet(noAck);
    const QString file = run.positional().at(0);
    const bool json = run.json();
    InterruptGuard guard;
    return runOnPorts(run, [&](Link& l) -> BoardEnd {
        if (!l.openPort())
            return {kRefused, l.portOutcome()};
        // One bar on the terminal: a batch shows none.
        Progress progress(l.quiet() || l.batch());
        DownloadHooks hooks;
        hooks.started = [&](int total) { progress.start(total); };
        hooks.progress = [&](int sent) { progress.update(sent); };
        hooks.cancelled = [] { return interrupted(); };
        int started = 0; // lines handed to the board, the failing one included
        hooks.sending = [&started](const QString&) { ++started; };
        hooks.pauseMs = [pauseMs] { return pauseMs; };
        // Messages of the sequence end the bar's line first.
        l.prompts().beforeOutput = [&progress] { progress.finish(); };
        AppState& ls = l.state();
        const DownloadResult r =
            usine ? TelechargerUsine(ls, *lines, ack, hooks) : TelechargerClient(ls, *lines, hooks);
        progress.finish();
        l.prompts().beforeOutput = nullptr;
        const char* result = r.outcome == DownloadOutcome::Succeeded   ? "succeeded"
                             : r.outcome == DownloadOutcome::Cancelled ? "cancelled"
                                                                       : "failed";
        if (json) {
            // A failure after the last line sent is the board's refusal of a UPL step.
            const bool lineFailed = r.outcome == DownloadOutcome::Failed && started > r.sent;
            l.outJson(QJsonObject{{QStringLiteral("file"), file},
                                  {QStringLiteral("result"), result},
                                  {QStringLiteral("lines"), lines->size()},
                                  {QStringLiteral("sent"), r.sent},
                                  {QStringLiteral("failedLine"),
                                   lineFailed ? QJsonValue(r.sent + 1) : QJsonValue()}});
        }
        if (r.outcome == DownloadOutcome::Cancelled)
            l.fail(130, QStringLiteral("stopped by Ctrl-C after line %1; ").arg(r.sent) +
                            downloadAgainAdvice(usine));
        const int status = r.outcome == DownloadOutcome::Succeeded   ? kOk
                           : r.outcome == DownloadOutcome::Cancelled ? 130
                                                                     : kRefused;
        return {status, QString::fromLatin1(result)};
    });
}

} // namespace tav::ctl
