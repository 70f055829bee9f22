// crypt, decrypt, load-config: the configuration files, as the main window's menu handles them.
#include "core/configfile/ConfigFile.h"
#include "core/link/FlowLog.h"
#include "core/settings/Variant.h"
#include "ctl/Batch.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"

#include <QJsonObject>

namespace tav::ctl {

namespace {

const QString kTitle = QStringLiteral("tavoemctl");

} // namespace

int runCrypt(const QStringList& args) {
    Run run(QStringLiteral("crypt"), QStringLiteral("FILE"),
            QStringLiteral("Scrambles the plain configuration FILE (one board command per line) "
                           "into \"cfg_vtl.txt\" of the program folder. Internal variant only."),
            Json::Refused);
    if (const int st = run.parse(args, 1, 1); st >= 0)
        return st;
    if (!VarianteUsine(run.state().programDir))
        return run.fail(kUsage, QStringLiteral("crypt needs the internal variant in the program "
                                               "folder \"%1\"")
                                    .arg(run.state().programDir));
    return CrypterFichier(run.state(), run.positional().at(0), kTitle) ? kOk : kUsage;
}

int runDecrypt(const QStringList& args) {
    Run run(QStringLiteral("decrypt"), QString(),
            QStringLiteral("Unscrambles \"cfg_vtl.txt\" of the program folder into "
                           "\"Decrypt_cfg_vtl.txt\" and shows its first lines on stderr."),
            Json::Refused);
    if (const int st = run.parse(args); st >= 0)
        return st;
    return DecrypterFichier(run.state(), kTitle) ? kOk : kUsage;
}

int runLoadConfig(const QStringList& args) {
    Run run(QStringLiteral("load-config"), QStringLiteral("FILE"),
            QStringLiteral("Sends the commands of the scrambled configuration FILE (made by "
                           "crypt) in order; the first one the board does not acknowledge stops "
                           "the load and \"RVP\" recalls the board's factory parameters. "
                           "--json: the result (\"loaded\", \"refused\" or \"not sent\"), "
                           "the commands sent and the one refused."));
    run.setPortListOptions(true);
    if (const int st = run.parse(args, 1, 1); st >= 0)
        return st;
    const QString file = run.positional().at(0);
    const bool json = run.json();
    return runOnPorts(run, [&](Link& l) -> BoardEnd {
        if (!l.openPort())
            return {kRefused, QStringLiteral("port not opened")};
        AppState& s = l.state();
        // A refusal before the first command is the file's (status 2); after it, the board's.
        QStringList sent;
        s.FluxActif = true;
        QObject::connect(&s.flow, &FlowLog::appended,
                         [&sent](int list, const QString& text, qint64) {
                             if (list == FlowLog::Sent)
                                 sent.append(text.trimmed()); // without its carriage return
                         });
        const bool loaded = ChargerFichierConfiguration(s, file, kTitle);
        // After a refusal the last line sent is the recall of the factory parameters.
        if (!loaded && sent.size() > 1 && sent.constLast() == QLatin1String("RVP"))
            sent.removeLast();
        const QString result = loaded          ? QStringLiteral("loaded")
                               : sent.isEmpty() ? QStringLiteral("not sent")
                                                : QStringLiteral("refused");
        if (json)
            l.outJson(QJsonObject{
                {QStringLiteral("file"), file},
                {QStringLiteral("result"), result},
                {QStringLiteral("sent"), sent.size()},
                {QStringLiteral("refusedCommand"),
                 loaded || sent.isEmpty() ? QJsonValue() : QJsonValue(sent.constLast())}});
        return {loaded ? kOk : sent.isEmpty() ? kUsage : kRefused, result};
    });
}

} // namespace tav::ctl
