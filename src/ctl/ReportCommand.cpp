// report: the configuration report of the printout window, as a PDF file.
#include "core/config/BoardReading.h"
#include "core/config/ConfigReport.h"
#include "core/control/MeasurementLog.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "report/ReportLayout.h"

#include <QDateTime>

namespace tav::ctl {

int runReport(const QStringList& args) {
    Run run(QStringLiteral("report"), QString(),
            QStringLiteral("Reads the board as \"read\" does and writes the configuration "
                           "report of the printout window to a PDF file (A4). Needs no "
                           "display."));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("The PDF file to write."),
                                 QStringLiteral("file"));
    run.parser.addOption(pdf);
    if (const int st = run.parse(args); st >= 0)
        return st;
    const QString file = run.parser.value(pdf);
    if (file.isEmpty())
        return run.fail(kUsage, QStringLiteral("--pdf FILE is needed (see tavoemctl report "
                                               "--help)"));
    if (!run.openPort())
        return kRefused;
    const BoardReading r = lireCarte(run.state());
    if (!r.serial.answered || !r.version.answered)
        return run.fail(kRefused, QStringLiteral("no answer from the board on %1; no report "
                                                 "written")
                                      .arg(run.portName()));
    QString error;
    if (!exportReportPdf(buildConfigReport(r), file, logDateText(QDateTime::currentDateTime()),
                         &error))
        return run.fail(kUsage, error);
    if (!r.complete())
        return run.fail(kRefused, QStringLiteral("some values got no answer; their cells in "
                                                 "\"%1\" are blank")
                                      .arg(file));
    run.note(QStringLiteral("report of %1 written to \"%2\"").arg(r.serial.text, file));
    return kOk;
}

} // namespace tav::ctl
