// report: the configuration report of the printout window, as a PDF file.
#include "core/config/BoardReading.h"
#include "core/config/ConfigReport.h"
#include "core/control/MeasurementLog.h"
#include "core/supervision/RecordFile.h"
#include "core/supervision/Supervision.h"
#include "ctl/Batch.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "report/ReportLayout.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>

namespace tav::ctl {

int runReport(const QStringList& args) {
    Run run(QStringLiteral("report"), QString(),
            QStringLiteral("Reads the board as \"read\" does and writes the configuration "
                           "report of the printout window to a PDF file (A4), with the values "
                           "the configuration window shows after Import (SOP no higher than the "
                           "nominal power, XXX for a value the board cannot give). Needs no "
                           "display. With --json, prints a summary: port, serial number, "
                           "result (written, incomplete, no answer, port missing, port busy, "
                           "port forbidden, port settings, not written), seconds, file."));
    const QCommandLineOption pdf(QStringLiteral("pdf"),
                                 QStringLiteral("The PDF file to write; an existing one is "
                                                "refused unless --replace is given."),
                                 QStringLiteral("file"));
    const QCommandLineOption replace(
        QStringLiteral("replace"),
        QStringLiteral("With --pdf: replace an existing file, whole (on a failure it is left as "
                       "it was)."));
    const QCommandLineOption outDir(
        QStringLiteral("out-dir"),
        QStringLiteral("With several ports: the folder of the reports, each named after the "
                       "board's serial number (SERIAL.pdf, SERIAL_2.pdf when taken)."),
        QStringLiteral("dir"));
    run.parser.addOptions({pdf, replace, outDir});
    run.setPortListOptions(true);
    if (const int st = run.parse(args); st >= 0)
        return st;
    QStringList ports;
    if (!run.ports(&ports))
        return kUsage;
    const bool batch = ports.size() > 1 || run.portListGiven();
    const QString given = run.parser.value(batch ? outDir : pdf);
    if (given.isEmpty())
        return run.fail(kUsage, batch ? QStringLiteral("--out-dir DIR is needed with several "
                                                       "ports (see tavoemctl report --help)")
                                      : QStringLiteral("--pdf FILE is needed (see tavoemctl "
                                                       "report --help)"));
    if (!batch && !run.parser.isSet(replace) &&
        (QFileInfo::exists(given) || QFileInfo(given).isSymLink()))
        return run.fail(kUsage, QStringLiteral("\"%1\" exists already; it is not replaced. Add "
                                               "--replace to replace it, or give the name of a "
                                               "new file.")
                                    .arg(QDir::toNativeSeparators(given)));
    const bool skipped = run.skippedEntries();
    const bool json = run.json();
    return runOnPorts(run, [&](Link& l) -> BoardEnd {
        QElapsedTimer clock;
        clock.start();
        BoardReading r;
        RecordFile name; // the file name taken in a batch run
        QString file = batch ? QString() : given;
        auto finish = [&](int status, const QString& result, const QString& message) {
            if (json)
                l.outJson(QJsonObject{
                    {QStringLiteral("port"), l.portName()},
                    {QStringLiteral("serial"), r.serial.status == ReadStatus::Text
                                                   ? QJsonValue(r.serial.answer)
                                                   : QJsonValue()},
                    {QStringLiteral("result"), result},
                    {QStringLiteral("seconds"), double(clock.elapsed() / 100) / 10},
                    {QStringLiteral("file"), file.isEmpty() ? QJsonValue() : QJsonValue(file)}});
            if (status == kOk)
                l.note(message);
            else
                l.fail(status, message);
            return BoardEnd{status, result};
        };
        if (!l.openPort())
            return finish(kRefused, l.portOutcome(),
                          QStringLiteral("no report written"));
        r = lireCarte(l.state());
        if (!r.answered())
            return finish(kRefused, outcome::kNoAnswer,
                          QStringLiteral("no answer from the board on %1; no report written")
                              .arg(l.portName()));
        if (r.serial.status == ReadStatus::Text)
            l.serial = r.serial.answer;
        if (batch) {
            // The name is taken at once (a board of the same serial number gets _2).
            // The record files' naming, with the characters other systems refuse also replaced.
            QString base = recordBaseName(r.serial.answer, QDateTime::currentDateTime());
            base.replace(QRegularExpression(QStringLiteral("[:*?\"<>|]")), QStringLiteral("_"));
            if (!name.create(given, base, QStringLiteral(".pdf")))
                return finish(kUsage, QStringLiteral("not written"), name.error());
            file = name.path();
        }
        QString error;
        if (!exportReportPdf(buildConfigReport(r), file,
                             logDateText(QDateTime::currentDateTime()), &error)) {
            name.discard(); // the name taken stays free: no empty file
            return finish(kUsage, QStringLiteral("not written"), error);
        }
        if (!r.complete() || skipped)
            return finish(kRefused, QStringLiteral("incomplete"),
                          QStringLiteral("some values were skipped or got no usable answer; "
                                         "their cells in \"%1\" are blank or XXX")
                              .arg(file));
        return finish(kOk, QStringLiteral("written"),
                      QStringLiteral("report of %1 written to \"%2\"").arg(r.serial.answer, file));
    });
}

} // namespace tav::ctl
