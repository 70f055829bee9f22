// record: the data supervision's rows, written by the same recorder as the window's.
#include "core/Clock.h"
#include "core/control/MeasurementLog.h"
#include "core/supervision/Recorder.h"
#include "core/translation/Texts.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "ctl/Interrupt.h"

#include <QDateTime>

#include <limits>
#include <utility>

namespace tav::ctl {

namespace {

// A whole number of at least 1; with `units`, it may end in s, m, h or d (seconds). Cli's
// parser offers no units, hence this one.
std::optional<qint64> positive(QString text, bool units) {
    qint64 unit = 1;
    if (units) {
        if (text.endsWith(u'm')) unit = 60;
        else if (text.endsWith(u'h')) unit = 3600;
        else if (text.endsWith(u'd')) unit = 86400;
        if (unit > 1 || text.endsWith(u's')) text.chop(1);
    }
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < 1 || v > std::numeric_limits<qint32>::max()) return std::nullopt;
    return v * unit;
}

} // namespace

int runRecord(const QStringList& args) {
    Run run(QStringLiteral("record"), QString(),
            QStringLiteral("Takes a supervision row every --period seconds (date, time, duration "
                           "in hours, then the supervision reads) and writes every --every-th "
                           "row in the record format of tavoem's data supervision (TAB-separated, "
                           "CR LF; --format csv for CSV; --format data for CSV with named "
                           "columns in the metrics' units, a full ISO 8601 time stamp on every "
                           "row, the warning word and laser state read too, and one 0/1 column "
                           "per alarm and warning bit), line by line, until --duration or --rows is "
                           "reached or Ctrl-C (the row under way is finished and written first; "
                           "a second Ctrl-C stops at once without it, status 130). The first "
                           "line is the header; the first written line of each day carries the "
                           "date (window and csv). A read without answer (or not sent: the port is gone) ends the "
                           "row with empty cells, writes it if due and stops the run with status "
                           "1, naming the read and the time (\"link lost at hh:mm:ss\" when no "
                           "read of the row got an answer or the port went away); "
                           "with --yes its cell stays empty (a line on stderr unless --quiet; a "
                           "lost link is said once, then \"link back at hh:mm:ss\") and the run "
                           "goes on. --json is not offered: use --format data."),
            Json::Refused);
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Seconds between rows (at least 1; required)."),
                                    QStringLiteral("s"));
    const QCommandLineOption every(QStringLiteral("every"),
                                   QStringLiteral("Write every N-th row (default 1)."),
                                   QStringLiteral("n"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Length of the run: seconds, or with a unit "
                                                     "m, h or d; the rows due at 0, P, 2P ... "
                                                     "seconds of the run below it are taken."),
                                      QStringLiteral("t"));
    const QCommandLineOption rows(QStringLiteral("rows"),
                                  QStringLiteral("Number of rows to take."), QStringLiteral("n"));
    const QCommandLineOption outFile(QStringLiteral("out"),
                                     QStringLiteral("File to create (an existing one is refused); "
                                                    "default: stdout."),
                                     QStringLiteral("file"));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Same as --format csv."));
    const QCommandLineOption format = recordFormatOption(QStringLiteral("format"));
    run.parser.addOptions({period, every, duration, rows, outFile, csv, format});
    run.setYesOption();
    if (const int st = run.parse(args); st >= 0)
        return st;
    // Each numeric option: absent (nothing), or a number, or status 2 naming it.
    std::optional<qint64> values[4];
    const QCommandLineOption* numeric[4] = {&period, &every, &duration, &rows};
    for (int i = 0; i < 4; ++i) {
        if (!run.parser.isSet(*numeric[i]))
            continue;
        const QString text = run.parser.value(*numeric[i]);
        if (i >= 2)
            values[i] = positive(text, i == 2);
        else if (const std::optional<int> n = i == 0 ? acquisitionPeriod(text) : recordEvery(text))
            values[i] = *n; // the window's rules for its two boxes
        if (!values[i])
            return run.fail(kUsage, QStringLiteral("--%1 takes a whole number of at least 1%2, "
                                                   "not \"%3\"")
                                        .arg(numeric[i]->names().first(),
                                             i == 2 ? QStringLiteral(" (seconds, or with m, h, d)")
                                                    : QString(),
                                             text));
    }
    const auto& [periodS, everyN, lengthS, rowCount] = values;
    if (!periodS)
        return run.fail(kUsage, QStringLiteral("--period is required (seconds between rows)"));
    if (lengthS && rowCount)
        return run.fail(kUsage, QStringLiteral("--duration and --rows exclude each other"));
    const std::optional<RecordFormat> written = run.parser.isSet(csv) && !run.parser.isSet(format)
                                                    ? RecordFormat::Csv
                                                    : recordFormatNamed(run.parser.value(format));
    if (!written || (run.parser.isSet(csv) && *written != RecordFormat::Csv))
        return run.fail(kUsage, QStringLiteral("--format takes window, csv or data, not \"%1\"%2")
                                    .arg(run.parser.value(format),
                                         run.parser.isSet(csv) ? QStringLiteral(" with --csv")
                                                               : QString()));

    AppState& s = run.state();
    ChargerLangueCourante(s);
    SupervisionRecorder recorder(s);
    const RecorderSettings settings{
        int(*periodS), int(everyN.value_or(1)),
        run.prompts().yes ? MissingAnswer::LeaveEmpty : MissingAnswer::EndRow,
        *written};
    if (!recorder.file().open(run.parser.value(outFile)) ||
        !recorder.start(settings, recordHeader(s, *written)))
        return run.fail(kUsage, recorder.file().error() + u' ' + recorder.file().advice());
    if (!run.openPort())
        return kRefused;

    // Ctrl-C lets the row under way finish and be written whole; a second one ends at once.
    InterruptGuard guard(true);
    RowHooks hooks;
    hooks.stop = [&run, told = false]() mutable {
        if (interrupted() && !std::exchange(told, true))
            run.note(QStringLiteral("tavoemctl record: stopping once this row is written; Ctrl-C "
                                    "again stops at once, without it"));
        return false;
    };
    int status = kOk;
    recorder.run({lengthS, rowCount}, hooks, [] { return QDateTime::currentDateTime(); }, &interrupted,
                 [&](const RowOutcome& taken) {
        if (taken.writeFailed) {
            status = run.fail(kUsage, recorder.file().error() +
                                          (run.parser.isSet(outFile)
                                               ? QStringLiteral(" The lines written before are "
                                                                "kept. ") +
                                                     recorder.file().advice()
                                               : QString()));
            return false;
        }
        const QString when = taken.cells.value(1);
        if (taken.endRun) {
            status = run.fail(kRefused, (taken.linkLost
                                             ? QStringLiteral("link lost at %2 (no answer to %1, "
                                                              "row %3)")
                                             : QStringLiteral("no answer to %1 at %2 (row %3)"))
                                                .arg(taken.unanswered.value(0), when)
                                                .arg(taken.row) +
                                            QStringLiteral("; the run stops (--yes leaves the "
                                                           "cell empty and goes on)"));
            return false;
        }
        // A lost link is said once, and its return; not every empty row while it lasts.
        if (taken.link != LinkChange::None)
            run.note(QStringLiteral("tavoemctl record: ") + recorder.linkNote());
        if (!taken.unanswered.isEmpty() && !taken.linkLost)
            run.note(QStringLiteral("tavoemctl record: no answer to %1 at %2 (row %3); left empty")
                         .arg(taken.unanswered.join(QStringLiteral(", ")), when)
                         .arg(taken.row));
        return true;
    });
    if (status != kOk)
        return status;
    recorder.finish();
    return kOk;
}

} // namespace tav::ctl
