// send, read, detect-baud: exchanges with the board.
#include "core/config/BoardReading.h"
#include "core/link/BaudRate.h"
#include "core/link/Exchange.h"
#include "core/io/WriteError.h"
#include "core/settings/Ini.h"
#include "ctl/Batch.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"
#include "ctl/Interrupt.h"

#include <QJsonArray>
#include <QJsonObject>

namespace tav::ctl {

int runSend(const QStringList& args) {
    Run run(QStringLiteral("send"), QStringLiteral("CMD..."),
            QStringLiteral("Sends each command (\"VER?\", \"SOP=120\") as one exchange and "
                           "prints its raw answer, one line per command (an empty line when it "
                           "got none). Status 1 when a command gets no answer or an answer "
                           "holding \"#\" (refused) or \"/\" (unknown command); a value out of "
                           "range (\"SOP=ERR\") is still an answer: --expect-ack catches it. "
                           "--json: command, answer and ok for each."),
            Json::Offered, QStringLiteral("The commands, each one argument (quote it when it "
                                          "holds blanks)."));
    const QCommandLineOption expectAck(QStringLiteral("expect-ack"),
                                       QStringLiteral("Fail (status 1) also when an answer lacks "
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
        QString fault;
        if (answer.isEmpty())
            fault = outcome::kNoAnswer;
        else if (answer.contains(u'#'))
            fault = QStringLiteral("refused (%1)").arg(answer);
        else if (answer.contains(u'/'))
            fault = QStringLiteral("unknown command (%1)").arg(answer);
        else if (run.parser.isSet(expectAck) && !answer.contains(u'!'))
            fault = QStringLiteral("not acknowledged (%1)").arg(answer);
        if (!fault.isEmpty())
            status = run.fail(kRefused, command + QStringLiteral(": ") + fault);
        if (run.json())
            results.append(QJsonObject{{QStringLiteral("command"), command},
                                       {QStringLiteral("answer"), answer},
                                       {QStringLiteral("ok"), fault.isEmpty()}});
        else
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
    run.setPortListOptions(true);
    if (const int st = run.parse(args); st >= 0)
        return st;
    const bool skipped = run.skippedEntries();
    const bool json = run.json();
    return runOnPorts(
        run,
        [skipped, json](Link& l) -> BoardEnd {
            if (!l.openPort())
                return {kRefused, l.portOutcome()};
            const BoardReading r = lireCarte(l.state());
            if (!r.answered())
                return {l.fail(kRefused, QStringLiteral("no answer from the board on %1")
                                             .arg(l.portName())),
                        outcome::kNoAnswer};
            if (r.serial.status == ReadStatus::Text)
                l.serial = r.serial.answer;
            QJsonObject values;
            QStringList missing, unavailable;
            for (const BoardValue* v : r.values()) {
                if (v->mnemonic.isEmpty())
                    continue;
                if (v->status == ReadStatus::Unavailable)
                    unavailable.append(v->mnemonic);
                else if (!v->number && v->status != ReadStatus::Text)
                    missing.append(v->mnemonic);
                if (json)
                    values.insert(v->mnemonic, v->number ? QJsonValue(*v->number)
                                               : v->status == ReadStatus::Text
                                                   ? QJsonValue(v->answer)
                                                   : QJsonValue());
                else
                    l.out(v->mnemonic + u'=' + v->text());
            }
            if (json)
                l.outJson(values);
            if (!unavailable.isEmpty())
                l.fail(kRefused,
                       QStringLiteral("not available (xxx): %1").arg(unavailable.join(u", ")));
            if (!missing.isEmpty())
                l.fail(kRefused, QStringLiteral("no usable answer to %1").arg(missing.join(u", ")));
            if (missing.isEmpty() && unavailable.isEmpty() && !skipped)
                return {kOk, QStringLiteral("read")};
            return {kRefused, QStringLiteral("incomplete")};
        },
        true);
}

int runDetectBaud(const QStringList& args) {
    Run run(QStringLiteral("detect-baud"), QString(),
            QStringLiteral("Finds the board's line rate as the window's detection does: "
                           "\"SNU?\" at the stored rate (or --baud), then at 19200, 4800, "
                           "9600, 19200, 38400 and 115200. Prints the rate that answered; "
                           "status 1 when none did. The rates are tried for this run only: "
                           "\"General.ini\" changes only when --store keeps the rate found. "
                           "Ctrl-C stops between two rates (status 130). --json: the rate "
                           "(null when none answered), whether it was stored, and why not when it "
                           "could not be."));
    const QCommandLineOption store(QStringLiteral("store"),
                                   QStringLiteral("Store the rate found in \"General.ini\"."));
    run.parser.addOption(store);
    if (const int st = run.parse(args); st >= 0)
        return st;
    AppState& s = run.state();
    InterruptGuard guard;
    QString portError;
    const QString rate = DetecterVitesse(
        s, [&run](const QString& caption) { run.note(caption); }, &portError,
        [] { return interrupted(); }, [&s](int trial) { s.baudOverride = trial; });
    if (interrupted())
        return 130;
    const QString ini = s.generalIni();
    QString storeError; // the system's reason when --store could not write the rate
    if (!rate.isEmpty() && run.parser.isSet(store)) {
        IniBatch batch(ini);
        batch.setQuiet(true); // told below
        batch.write(QStringLiteral("RS232"), QStringLiteral("BAUD"), rate);
        if (!batch.commit())
            storeError = batch.error().isEmpty() ? QStringLiteral("not written") : batch.error();
    }
    const bool keep = !rate.isEmpty() && run.parser.isSet(store) && storeError.isEmpty();
    if (run.json())
        outJson(QJsonObject{{QStringLiteral("baud"), rate.isEmpty() ? QJsonValue()
                                                                    : QJsonValue(rate.toInt())},
                            {QStringLiteral("stored"), keep},
                            {QStringLiteral("storeError"),
                             storeError.isEmpty() ? QJsonValue() : QJsonValue(storeError)}});
    else if (!rate.isEmpty())
        out(rate);
    if (!storeError.isEmpty())
        return run.fail(kUsage, QStringLiteral("the board answers at %1 bd, but the rate cannot "
                                               "be written into \"%2\" (%3). %4")
                                    .arg(rate, ini, storeError,
                                         writeAdvice(storeError, s.programDir)));
    if (rate.isEmpty())
        return run.fail(kRefused, !portError.isEmpty()
                                      ? portError
                                      : QStringLiteral("no board answered at any rate tried; "
                                                       "check the port and the cable"));
    return kOk;
}

} // namespace tav::ctl
