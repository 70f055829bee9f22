// report: the configuration report of the printout window, as a PDF file.
#include "core/config/BoardReading.h"
#include "core/config/ConfigReport.h"
#include "core/control/MeasurementLog.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "report/ReportLayout.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonObject>

namespace tav::ctl {

int runReport(const QStringList& args) {
    Run run(QStringLiteral("report"), QString(),
            QStringLiteral("Reads the board as \"read\" does and writes the configuration "
                           "report of the printout window to a PDF file (A4), with the values "
                           "the configuration window shows after Import (SOP no higher than the "
                           "nominal power, XXX for a value the board cannot give). Needs no "
                           "display. With --json, prints a summary: port, serial number, "
                           "result (written, incomplete, no answer, not written), seconds, "
                           "file."));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("The PDF file to write."),
                                 QStringLiteral("file"));
    run.parser.addOption(pdf);
    if (const int st = run.parse(args); st >= 0)
        return st;
    const QString file = run.parser.value(pdf);
    if (file.isEmpty())
        return run.fail(kUsage, QStringLiteral("--pdf FILE is needed (see tavoemctl report "
                                               "--help)"));
    QElapsedTimer clock;
    clock.start();
    BoardReading r;
    auto finish = [&](int status, const QString& result, const QString& message) {
        if (run.json())
            outJson(QJsonObject{
                {QStringLiteral("port"), run.portName()},
                {QStringLiteral("serial"), r.serial.status == ReadStatus::Text
                                               ? QJsonValue(r.serial.answer)
                                               : QJsonValue()},
                {QStringLiteral("result"), result},
                {QStringLiteral("seconds"), double(clock.elapsed() / 100) / 10},
                {QStringLiteral("file"), file}});
        if (status == kOk) {
            run.note(message);
            return status;
        }
        return run.fail(status, message);
    };
    const bool skipped = run.skippedEntries();
    if (!run.openPort())
        return finish(kRefused, QStringLiteral("no answer"), QStringLiteral("no report written"));
    r = lireCarte(run.state());
    if (r.version.status != ReadStatus::Text)
        return finish(kRefused, QStringLiteral("no answer"),
                      QStringLiteral("no answer from the board on %1; no report written")
                          .arg(run.portName()));
    QString error;
    if (!exportReportPdf(buildConfigReport(r), file, logDateText(QDateTime::currentDateTime()),
                         &error))
        return finish(kUsage, QStringLiteral("not written"), error);
    if (!r.complete() || skipped)
        return finish(kRefused, QStringLiteral("incomplete"),
                      QStringLiteral("some values were skipped or got no usable answer; their "
                                     "cells in \"%1\" are blank or XXX")
                          .arg(file));
    return finish(kOk, QStringLiteral("written"),
                  QStringLiteral("report of %1 written to \"%2\"").arg(r.serial.answer, file));
}

} // namespace tav::ctl
