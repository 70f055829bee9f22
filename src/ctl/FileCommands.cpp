// crypt, decrypt, load-config: the configuration files, as the main window's menu handles them.
#include "core/configfile/ConfigFile.h"
#include "core/settings/Variant.h"
#include "ctl/Batch.h"
#include "ctl/Cli.h"
#include "ctl/Commands.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>

namespace tav::ctl {

namespace {

const QString kTitle = QStringLiteral("tavoemctl");

} // namespace

int runCrypt(const QStringList& args) {
    Run run(QStringLiteral("crypt"), QStringLiteral("FILE"),
            QStringLiteral("Scrambles the plain configuration FILE (one board command per line) "
                           "into \"cfg_vtl.txt\" of the program folder, replacing it as "
                           "\"Crypt File\" does, or into the file of --out. Internal variant "
                           "only."),
            Json::Refused, QStringLiteral("The plain configuration file."));
    const QCommandLineOption outFile(QStringLiteral("out"),
                                     QStringLiteral("The scrambled file to write; an existing one "
                                                    "is refused unless --replace is given."),
                                     QStringLiteral("file"));
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QStringLiteral("With --out: replace an existing file."));
    run.parser.addOptions({outFile, replace});
    if (const int st = run.parse(args, 1, 1); st >= 0)
        return st;
    const QString dir = run.state().programDir;
    if (!VarianteUsine(dir))
        return run.fail(kUsage, QStringLiteral("crypt needs the internal variant in the program "
                                               "folder \"%1\"; the README section \"Menus and "
                                               "windows\" tells how to reach it")
                                    .arg(dir));
    const QString out = run.parser.value(outFile);
    if (!out.isEmpty() && !run.parser.isSet(replace) &&
        (QFileInfo::exists(out) || QFileInfo(out).isSymLink()))
        return run.fail(kUsage, QStringLiteral("\"%1\" exists already; it is not replaced. Add "
                                               "--replace to replace it, or give the name of a "
                                               "new file.")
                                    .arg(QDir::toNativeSeparators(out)));
    const QString written =
        out.isEmpty() ? run.state().filePath(QString::fromLatin1(kFichierCrypte)) : out;
    const bool existed = QFileInfo::exists(written);
    if (!CrypterFichier(run.state(), run.positional().at(0), kTitle, out))
        return kUsage;
    run.note(QStringLiteral("\"%1\" %2").arg(QDir::toNativeSeparators(written),
                                             existed ? QStringLiteral("was replaced")
                                                     : QStringLiteral("was written")));
    return kOk;
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
                           "--json: the result (\"loaded\", \"refused\", \"no answer\" or "
                           "\"not sent\"), the commands sent and the one refused or unanswered."),
            Json::Offered, QStringLiteral("A scrambled configuration file."));
    run.setPortListOptions(true);
    if (const int st = run.parse(args, 1, 1); st >= 0)
        return st;
    const QString file = run.positional().at(0);
    const bool json = run.json();
    return runOnPorts(run, [&](Link& l) -> BoardEnd {
        if (!l.openPort())
            return {kRefused, l.portOutcome()};
        LoadReport rep;
        const bool loaded = ChargerFichierConfiguration(l.state(), file, kTitle, &rep);
        const QString result = loaded                                 ? QStringLiteral("loaded")
                               : rep.outcome == LoadReport::Refused  ? outcome::kRefused
                               : rep.outcome == LoadReport::NoAnswer ? outcome::kNoAnswer
                                                                     : QStringLiteral("not sent");
        const auto named = [&rep](LoadReport::Outcome o) {
            return rep.outcome == o ? QJsonValue(rep.command) : QJsonValue();
        };
        if (json)
            l.outJson(QJsonObject{{QStringLiteral("file"), file},
                                  {QStringLiteral("result"), result},
                                  {QStringLiteral("sent"), rep.sent},
                                  {QStringLiteral("refusedCommand"), named(LoadReport::Refused)},
                                  {QStringLiteral("unansweredCommand"),
                                   named(LoadReport::NoAnswer)}});
        // A refusal before the first command is the file's (status 2); after it, the board's.
        return {loaded ? kOk : rep.sent == 0 ? kUsage : kRefused, result};
    });
}

} // namespace tav::ctl
