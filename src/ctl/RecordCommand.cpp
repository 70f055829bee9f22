// record: the rows of the data supervision, in its record format or as CSV.
#include "core/Clock.h"
#include "core/control/MeasurementLog.h"
#include "core/settings/Ini.h"
#include "core/supervision/Supervision.h"
#include "core/text/Cp1252.h"
#include "core/translation/Texts.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "ctl/Interrupt.h"

#include <QDateTime>
#include <QFile>

#include <cstdio>
#include <limits>

namespace tav::ctl {

namespace {

// Seconds of a duration: a whole number with an optional unit s, m, h or d.
std::optional<qint64> seconds(QString text) {
    qint64 unit = 1;
    if (text.endsWith(u'm')) unit = 60;
    else if (text.endsWith(u'h')) unit = 3600;
    else if (text.endsWith(u'd')) unit = 86400;
    if (unit > 1 || text.endsWith(u's')) text.chop(1);
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < 1 || v > std::numeric_limits<qint32>::max()) return std::nullopt;
    return v * unit;
}

// One field of an RFC 4180 line: quoted when it holds a comma, a quote or a line break.
QString csvField(const QString& cell) {
    if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(u'\r') &&
        !cell.contains(u'\n'))
        return cell;
    return u'"' + QString(cell).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QByteArray csvLine(const QStringList& cells) {
    QStringList fields;
    for (const QString& c : cells)
        fields << csvField(c);
    return toCp1252(fields.join(u',')) + "\r\n";
}

} // namespace

int runRecord(const QStringList& args) {
    Run run(QStringLiteral("record"), QString(),
            QStringLiteral("Takes a supervision row every --period seconds (date, time, duration "
                           "in hours, then the supervision reads) and writes every --every-th "
                           "row in the record format (TAB-separated, CR LF; --csv for CSV), "
                           "line by line, until --duration or --rows is reached or Ctrl-C. "
                           "A command without answer asks whether to go on: answered No (the "
                           "run stops) unless --yes."));
    const QCommandLineOption period(QStringLiteral("period"),
                                    QStringLiteral("Seconds between rows (at least 1)."),
                                    QStringLiteral("s"));
    const QCommandLineOption every(QStringLiteral("every"),
                                   QStringLiteral("Write every N-th row (default 1)."),
                                   QStringLiteral("n"));
    const QCommandLineOption duration(QStringLiteral("duration"),
                                      QStringLiteral("Length of the run: seconds, or with a unit "
                                                     "m, h or d."),
                                      QStringLiteral("t"));
    const QCommandLineOption rows(QStringLiteral("rows"),
                                  QStringLiteral("Number of rows to take."), QStringLiteral("n"));
    const QCommandLineOption outFile(QStringLiteral("out"),
                                     QStringLiteral("File to write (replaced); default: stdout."),
                                     QStringLiteral("file"));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("RFC 4180 CSV."));
    run.parser.addOptions({period, every, duration, rows, outFile, csv});
    run.setYesOption();
    if (const int st = run.parse(args); st >= 0)
        return st;
    const std::optional<int> periodS = acquisitionPeriod(run.parser.value(period));
    if (!periodS)
        return run.fail(kUsage, QStringLiteral("--period takes a number of seconds of at least 1"));
    const std::optional<int> everyN =
        run.parser.isSet(every) ? recordEvery(run.parser.value(every)) : std::optional<int>(1);
    if (!everyN)
        return run.fail(kUsage, QStringLiteral("--every takes a whole number of at least 1"));
    if (run.parser.isSet(duration) && run.parser.isSet(rows))
        return run.fail(kUsage, QStringLiteral("--duration and --rows exclude each other"));
    std::optional<qint64> lengthS, rowCount;
    if (run.parser.isSet(duration) && !(lengthS = seconds(run.parser.value(duration))))
        return run.fail(kUsage, QStringLiteral("--duration takes a positive number of seconds "
                                               "(or with m, h, d)"));
    if (run.parser.isSet(rows)) {
        bool ok = false;
        rowCount = run.parser.value(rows).toLongLong(&ok);
        if (!ok || *rowCount < 1)
            return run.fail(kUsage, QStringLiteral("--rows takes a whole number of at least 1"));
    }

    AppState& s = run.state();
    ChargerLangueCourante(s);
    QFile file;
    if (run.parser.isSet(outFile)) {
        file.setFileName(run.parser.value(outFile));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return run.fail(kUsage, QStringLiteral("cannot write \"%1\": %2")
                                        .arg(file.fileName(), file.errorString()));
    } else if (!file.open(stdout, QIODevice::WriteOnly)) {
        return run.fail(kUsage, QStringLiteral("cannot write to standard output"));
    }
    const bool asCsv = run.parser.isSet(csv);
    const auto write = [&](const QStringList& cells) {
        const QByteArray line = asCsv ? csvLine(cells) : logLine(cells);
        return file.write(line) == line.size() && file.flush();
    };
    const auto header = [&](const char* key, const char* absent) {
        const QString t = LireIni(s.langueIni(), QStringLiteral("FrmSupervisionData") +
                                                     s.LangueCourante, QString::fromLatin1(key));
        return t.isEmpty() ? QString::fromLatin1(absent) : t;
    };
    QStringList head{QStringLiteral("DATE"), header("col_2", "Time"), header("col_3", "Duration")};
    head += supervisionMnemonics();
    if (!write(head))
        return run.fail(kUsage, QStringLiteral("cannot write \"%1\"").arg(file.fileName()));
    if (!run.openPort())
        return kRefused;

    InterruptGuard guard;
    SupervisionSchedule schedule;
    const auto nowS = [&s] { return s.clock.now() / 1000; };
    const qint64 startS = nowS();
    QString lastDate;
    bool stop = false;
    int status = kOk;
    for (qint64 row = 1; !stop && !interrupted(); ++row) {
        if (rowCount && row > *rowCount) break;
        while (!schedule.due(nowS()) && !interrupted())
            s.clock.sleep(50);
        if (interrupted() || (lengthS && nowS() - startS >= *lengthS)) break;
        const double hours = schedule.take(nowS(), *periodS, row == 1);
        const QDateTime t = QDateTime::currentDateTime();
        QStringList cells(kSupervisionColumns);
        const QString date = logDateText(t);
        if (date != lastDate) cells[0] = date;
        lastDate = date;
        cells[1] = logTimeText(t);
        cells[2] = durationText(hours);
        MesurerLigne(
            s, supervisionMnemonics(),
            [&](int i, const QString& answer) {
                cells[kFirstMeasuredColumn - 1 + i] = answer;
                return true;
            },
            [&] { return stop || interrupted(); },
            [&](const QString& command) {
                const bool goOn = s.prompts.askYesNo(QStringLiteral("Command failed ") + command +
                                                         QStringLiteral(": go on with the run?"),
                                                     QString(), PromptIcon::Critical);
                if (!goOn) {
                    stop = true;
                    status = kRefused;
                }
                return goOn;
            });
        if (row % *everyN == 0 && !write(cells))
            return run.fail(kUsage, QStringLiteral("cannot write \"%1\"; the lines written before "
                                                   "are kept")
                                        .arg(file.fileName()));
    }
    return status;
}

} // namespace tav::ctl
