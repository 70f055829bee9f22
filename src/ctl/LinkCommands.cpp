// send, read, detect-baud: exchanges with the board.
#include "core/config/BoardReading.h"
#include "core/link/BaudRate.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "ctl/Interrupt.h"

#include <QJsonArray>
#include <QJsonObject>

namespace tav::ctl {

int runSend(const QStringList& args) {
    Run run(QStringLiteral("send"), QStringLiteral("CMD..."),
            QStringLiteral("Sends each command (\"VER?\", \"SOP=120\") as one exchange and "
                           "prints its raw answer, one line per command."));
    const QCommandLineOption expectAck(QStringLiteral("expect-ack"),
                                       QStringLiteral("Fail (status 1) when an answer lacks "
                                                      "\"!\"."));
    run.parser.addOption(expectAck);
    if (const int st = run.parse(args, 1, -1); st >= 0)
        return st;
    if (!run.openPort())
        return kRefused;
    AppState& s = run.state();
    s.ReponseBrute = true;
    int status = kOk;
    QJsonArray results;
    for (const QString& command : run.positional()) {
        const QString answer = EnvoyerCommande(s, command);
        const bool ok = !answer.isEmpty() &&
                        (!run.parser.isSet(expectAck) || answer.contains(u'!'));
        if (answer.isEmpty())
            run.fail(kRefused, QStringLiteral("%1: no answer").arg(command));
        else if (!ok)
            run.fail(kRefused, QStringLiteral("%1: not acknowledged (%2)").arg(command, answer));
        if (!ok)
            status = kRefused;
        if (run.json())
            results.append(QJsonObject{{QStringLiteral("command"), command},
                                       {QStringLiteral("answer"), answer},
                                       {QStringLiteral("ok"), ok}});
        else if (!answer.isEmpty())
            out(answer);
    }
    if (run.json())
        outJson(results);
    return status;
}

int runRead(const QStringList& args) {
    Run run(QStringLiteral("read"), QString(),
            QStringLiteral("Reads the board as the configuration window's Import does and prints "
                           "what the window shows: serial number, version, the fifteen "
                           "parameters in display units (SOP no higher than the nominal power "
                           "PON, as its slider holds it; RP2 as its ramp duration), calibration "
                           "and A/D values, and the mode (ASS: 1 to 4, 0 when the board names "
                           "none of them), as MNE=value lines or JSON with --json. A value the "
                           "board cannot give (\"xxx\") prints XXX (JSON null); one without "
                           "answer prints nothing after \"=\" (null); either gives status 1. "
                           "Only reads are sent."));
    if (const int st = run.parse(args); st >= 0)
        return st;
    if (!run.openPort())
        return kRefused;
    const BoardReading r = lireCarte(run.state());
    if (r.version.status != ReadStatus::Text)
        return run.fail(kRefused, QStringLiteral("no answer from the board on %1")
                                      .arg(run.portName()));
    QJsonObject json;
    QStringList missing, unavailable;
    for (const BoardValue* v : r.values()) {
        if (v->mnemonic.isEmpty())
            continue;
        if (v->status == ReadStatus::Unavailable)
            unavailable.append(v->mnemonic);
        else if (!v->number && v->status != ReadStatus::Text)
            missing.append(v->mnemonic);
        if (run.json())
            json.insert(v->mnemonic, v->number ? QJsonValue(*v->number)
                                     : v->status == ReadStatus::Text ? QJsonValue(v->answer)
                                                                     : QJsonValue());
        else
            out(v->mnemonic + u'=' + v->text());
    }
    if (run.json())
        outJson(json);
    if (!unavailable.isEmpty())
        run.fail(kRefused, QStringLiteral("not available (xxx): %1").arg(unavailable.join(u", ")));
    if (!missing.isEmpty())
        run.fail(kRefused, QStringLiteral("no usable answer to %1").arg(missing.join(u", ")));
    return missing.isEmpty() && unavailable.isEmpty() ? kOk : kRefused;
}

int runDetectBaud(const QStringList& args) {
    Run run(QStringLiteral("detect-baud"), QString(),
            QStringLiteral("Finds the board's line rate as the window's detection does: "
                           "\"SNU?\" at the stored rate (or --baud), then at 19200, 4800, "
                           "9600, 19200, 38400 and 115200. Prints the rate that answered; "
                           "status 1 when none did. The stored rate is left unchanged unless "
                           "--store is given. Ctrl-C stops between two rates (status 130)."));
    const QCommandLineOption store(QStringLiteral("store"),
                                   QStringLiteral("Store the rate found in \"General.ini\"."));
    run.parser.addOption(store);
    if (const int st = run.parse(args); st >= 0)
        return st;
    AppState& s = run.state();
    const QString ini = s.generalIni();
    const QString rs232 = QStringLiteral("RS232"), baud = QStringLiteral("BAUD");
    const QString before = LireIni(ini, rs232, baud);
    // The scan tries each rate through the settings file; a rate given for the run is where
    // it starts. The file gets its rate back afterwards unless the one found is to be kept.
    if (s.baudOverride > 0)
        EcrireIni(ini, rs232, baud, QString::number(s.baudOverride));
    s.baudOverride = 0;
    InterruptGuard guard;
    QString portError;
    const QString rate = DetecterVitesse(
        s, [&run](const QString& caption) { run.note(caption); }, &portError,
        [] { return interrupted(); });
    const bool keep = !rate.isEmpty() && run.parser.isSet(store);
    if (!EcrireIni(ini, rs232, baud, keep ? rate : before))
        return run.fail(kUsage, QStringLiteral("cannot write the rate into \"%1\"").arg(ini));
    if (interrupted())
        return 130;
    if (rate.isEmpty())
        return run.fail(kRefused, !portError.isEmpty()
                                      ? portError
                                      : QStringLiteral("no board answered at any rate tried; "
                                                       "check the port and the cable"));
    if (run.json())
        outJson(QJsonObject{{QStringLiteral("baud"), rate.toInt()},
                            {QStringLiteral("stored"), keep}});
    else
        out(rate);
    return kOk;
}

} // namespace tav::ctl
