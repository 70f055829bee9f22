#include "ctl/Cli.h"

#include "core/config/ConfigRules.h"
#include "core/link/Catalogue.h"
#include "core/fleet/PortWatch.h"
#include "core/fleet/PortWorker.h"
#include "core/link/Exchange.h"
#include "core/link/PortAdvice.h"
#include "core/link/SerialPort.h"
#include "core/settings/Ini.h"
#include "core/settings/ExchangeSettings.h"
#include "core/settings/ProgramDir.h"
#include "core/settings/SettingsCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>
#include <limits>
#include <numeric>
#include <utility>

namespace tav::ctl {

namespace {

void err(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

void ConsolePrompts::message(const QString& text, const QString&, PromptIcon icon) {
    if (quiet && (icon == PromptIcon::Information || icon == PromptIcon::None))
        return;
    if (beforeOutput)
        beforeOutput();
    QString lines = text;
    err(prefix + lines.replace(u'\n', u'\n' + prefix)); // each line bears the port
}

bool ConsolePrompts::askYesNo(const QString& text, const QString&, PromptIcon) {
    if (beforeOutput)
        beforeOutput();
    err(prefix + text + (yes ? QStringLiteral(" -> Yes (--yes)") : QStringLiteral(" -> No (--yes answers Yes)")));
    return yes;
}

Run::Run(const QString& name, const QString& arguments, const QString& description, Json json,
         const QString& operandHelp)
    : name_(name), arguments_(arguments), description_(description), operandHelp_(operandHelp),
      dir_(QStringLiteral("program-dir"),
           QStringLiteral("Folder holding the settings files (as for tavoem); defaults are "
                          "written when missing."),
           QStringLiteral("dir")),
      port_(QStringLiteral("port"),
            QStringLiteral("Serial port for this run (the stored one is left unchanged)."),
            QStringLiteral("port")),
      baud_(QStringLiteral("baud"), QStringLiteral("Line rate for this run (not stored)."),
            QStringLiteral("n")),
      timeout_(QStringLiteral("timeout"),
               QStringLiteral("Answer time-out in ms for this run, 1 to 32767."),
               QStringLiteral("ms")),
      quietOpt_(QStringLiteral("quiet"), QStringLiteral("No informative messages on stderr.")),
      json_(QStringLiteral("json"), QStringLiteral("Structured output as JSON.")),
      help_(QStringList{QStringLiteral("h"), QStringLiteral("help")},
            QStringLiteral("Shows this help.")),
      yes_(QStringLiteral("yes"), QStringLiteral("Answers Yes to the questions a window would "
                                                 "ask (without it they are answered No).")),
      portsFrom_(QStringLiteral("ports-from"),
                 QStringLiteral("File of ports, one a line (# comments); with --port (repeated), "
                                "every board is run at once, each on its own thread."),
                 QStringLiteral("file")),
      jobs_(QStringLiteral("jobs"),
            QStringLiteral("With several ports: boards run at the same time (default: all)."),
            QStringLiteral("n")) {
    jsonRefused_ = json == Json::Refused;
    if (jsonRefused_)
        json_.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({dir_, port_, baud_, timeout_, quietOpt_, json_, help_});
}

QString Run::helpText() const {
    // Qt's option list (wrapped by Qt), under a usage line, description and operands of our own.
    const QString qt = parser.helpText();
    QString text = QStringLiteral("Usage: tavoemctl %1 [options]%2\n\n")
                       .arg(name_, arguments_.isEmpty() ? QString() : u' ' + arguments_) +
                   wrapped(description_) + QStringLiteral("\n\n") +
                   wrapped(QStringLiteral("Exit status: 0 done, 1 the board refused or did not "
                                          "answer, 2 bad usage or a file error.")) +
                   QStringLiteral("\n\n");
    if (!arguments_.isEmpty())
        text += QStringLiteral("Arguments:\n  %1\n%2\n\n")
                    .arg(arguments_, wrapped(operandHelp_, 80, 4));
    return text + qt.mid(qt.indexOf(QStringLiteral("Options:")));
}

QString wrapped(const QString& text, int width, int indent) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > width) {
            lines << QString(indent, u' ') + line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << QString(indent, u' ') + line;
    return lines.join(u'\n');
}

QString nearestName(const QString& typed, const QStringList& names) {
    QString best;
    qsizetype bestDistance = 3;
    for (const QString& name : names) {
        // Edit distance, one row at a time.
        QList<qsizetype> row(name.size() + 1);
        std::iota(row.begin(), row.end(), 0);
        for (qsizetype i = 1; i <= typed.size(); ++i) {
            qsizetype diagonal = row[0];
            row[0] = i;
            for (qsizetype j = 1; j <= name.size(); ++j)
                diagonal = std::exchange(
                    row[j], std::min({row[j] + 1, row[j - 1] + 1,
                                      diagonal + (typed[i - 1] != name[j - 1])}));
        }
        if (row.back() < bestDistance)
            bestDistance = row.back(), best = name;
    }
    return best;
}

void Run::setPortListOptions(bool jobs) {
    parser.addOption(portsFrom_);
    if (jobs)
        parser.addOption(jobs_);
}

bool Run::ports(QStringList* list, bool keepPatterns) const {
    *list = parser.values(port_);
    if (!parser.isSet(portsFrom_))
        return true;
    QFile f(parser.value(portsFrom_));
    if (!f.open(QIODevice::ReadOnly)) {
        fail(kUsage, QStringLiteral("cannot read the ports file \"%1\": %2")
                         .arg(f.fileName(), f.errorString()));
        return false;
    }
    for (const QString& p :
         portsFromText(QString::fromLocal8Bit(f.readAll()), QFileInfo(f).absolutePath())) {
        const QStringList found = keepPatterns || !isPortPattern(p) ? QStringList{p}
                                                                    : matchPorts({p}, *list);
        if (found.isEmpty()) {
            fail(kUsage, QStringLiteral("the pattern \"%1\" of %2 matches no serial device; "
                                        "check that the boards are plugged in")
                             .arg(p, f.fileName()));
            return false;
        }
        *list += found;
    }
    return true;
}

bool Run::distinctPorts(const QStringList& ports) const {
    // The same device under two spellings (relative and absolute) is the same port.
    for (qsizetype i = 0; i < ports.size(); ++i)
        for (qsizetype j = 0; j < i; ++j)
            if (QDir::cleanPath(deviceForPortName(ports[j])) ==
                QDir::cleanPath(deviceForPortName(ports[i]))) {
                fail(kUsage, QStringLiteral("the port \"%1\" is given twice; each board needs "
                                            "its own").arg(ports[i]));
                return false;
            }
    return true;
}

std::unique_ptr<Link> Run::linkFor(const QString& port) const {
    auto l = std::make_unique<Link>(name_, link_->state().programDir, port, true);
    AppState& s = l->state();
    ChargerReglagesEchange(s);
    s.portOverride = port;
    s.baudOverride = link_->state().baudOverride;
    s.TempsTimeout = link_->state().TempsTimeout;
    l->damaged = link_->damaged;
    l->prompts().quiet = link_->prompts().quiet;
    l->prompts().yes = link_->prompts().yes;
    return l;
}

void Run::setYesOption() {
    parser.addOption(yes_);
    hasYes_ = true;
}

int Run::parse(const QStringList& args, int minArgs, int maxArgs) {
    if (!parser.parse(QStringList{QStringLiteral("tavoemctl")} + args)) {
        // The long options of the help's option list.
        static const QRegularExpression option(QStringLiteral("^  (?:-\\w, )?--([\\w-]+)"),
                                               QRegularExpression::MultilineOption);
        QStringList names;
        for (const QRegularExpressionMatch& m : option.globalMatch(parser.helpText()))
            names << m.captured(1);
        const QString near = nearestName(parser.unknownOptionNames().value(0), names);
        QString error = parser.errorText();
        if (error.endsWith(u'.'))
            error.chop(1);
        if (!near.isEmpty())
            error += QStringLiteral("; did you mean --%1?").arg(near);
        return fail(kUsage, error + QStringLiteral(" (see tavoemctl ") + name_ +
                                QStringLiteral(" --help)"));
    }
    if (parser.isSet(help_)) {
        std::fputs(helpText().toLocal8Bit().constData(), stdout);
        return kOk;
    }
    const qsizetype n = positional().size();
    if (n < minArgs || (maxArgs >= 0 && n > maxArgs))
        return fail(kUsage, (n < minArgs ? QStringLiteral("missing arguments")
                                         : QStringLiteral("unexpected argument \"%1\"")
                                               .arg(positional().value(maxArgs))) +
                                QStringLiteral(" (see tavoemctl ") + name_ +
                                QStringLiteral(" --help)"));
    if (jsonRefused_ && parser.isSet(json_))
        return fail(kUsage, QStringLiteral("has no JSON output; leave out --json"));
    quiet_ = parser.isSet(quietOpt_);

    bool ok = true, timeoutOk = true;
    const qint64 baud = number(baud_, 1, std::numeric_limits<qint32>::max(), 0, &ok);
    const qint64 timeout = number(timeout_, 1, std::numeric_limits<qint16>::max(), 0, &timeoutOk);
    if (!ok || !timeoutOk)
        return kUsage;

    link_ = std::make_unique<Link>(name_, programDirectory(parser.value(dir_)), QString(), false);
    link_->prompts().quiet = quiet_;
    link_->prompts().yes = hasYes_ && parser.isSet(yes_);
    AppState& s = link_->state();
    // As tavoem does at every start, on the files as found; the run goes on (a file command
    // needs no serial settings, and --port or --baud may stand in for some).
    link_->damaged = damagedSettingsMessage(s.programDir);
    if (!link_->damaged.isEmpty())
        err(QStringLiteral("tavoemctl ") + name_ + QStringLiteral(": ") + link_->damaged);
    prepareSettingsFiles(s.programDir);
    if (!QFile::exists(s.generalIni()) || !QFile::exists(s.langueIni()))
        return fail(kUsage, QStringLiteral("cannot write the settings files in \"%1\"; choose a "
                                           "writable folder with --program-dir")
                                .arg(s.programDir));
    ChargerReglagesEchange(s);
    s.portOverride = parser.value(port_);
    s.baudOverride = static_cast<qint32>(baud);
    if (timeout > 0)
        s.TempsTimeout = static_cast<qint16>(timeout);
    return -1;
}

qint64 Run::number(const QCommandLineOption& option, qint64 min, qint64 max, qint64 fallback,
                   bool* ok) const {
    *ok = true;
    if (!parser.isSet(option))
        return fallback;
    const QString text = parser.value(option);
    const qint64 v = text.toLongLong(ok);
    if (*ok && v >= min && v <= max)
        return v;
    *ok = false;
    fail(kUsage, QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                     .arg(option.names().constLast())
                     .arg(min)
                     .arg(max)
                     .arg(text));
    return fallback;
}

Link::Link(const QString& name, const QString& programDir, const QString& port, bool batch)
    : name_(name), batch_(batch), portName_(port) {
    state_ = std::make_unique<AppState>(programDir, serial_, clock_, prompts_);
    state_->processEvents = nullptr; // no window messages to let run
    // A board slower than the time-out costs every command its repeats: said once a run.
    state_->lateAnswer = [this](qint64 lateMs) {
        if (std::exchange(lateSaid_, true))
            return;
        note(QStringLiteral("tavoemctl %1: the board answers %2 ms after a command, later than "
                            "the time-out of %3 ms; raise --timeout (or the time-out of tavoem's "
                            "Parameters > Supervision) above %2 ms")
                 .arg(name_)
                 .arg(lateMs)
                 .arg(state_->TempsTimeout));
    };
    if (batch)
        prompts_.prefix = port + QStringLiteral(": ");
}

Link::~Link() {
    drainOwedAnswers(*state_);
}

void Link::out(const QString& line) {
    if (batch_)
        lines << line;
    else
        ctl::out(line);
}

void Link::outJson(const QJsonValue& value) {
    if (batch_)
        json = value;
    else
        ctl::outJson(value);
}

int Link::fail(int status, const QString& text) const {
    err(QStringLiteral("tavoemctl ") + name_ + QStringLiteral(": ") + prompts_.prefix + text);
    return status;
}

void Link::note(const QString& text) const {
    if (!quiet())
        err(prompts_.prefix + text);
}

bool Link::openPort() {
    const PortOpening o = ouvrirPortSansMessage(*state_);
    portName_ = o.port;
    if (o.result == PortOpening::Opened) {
        if (batch_)
            serial = EnvoyerCommande(*state_, QStringLiteral("SNU?"));
        return true;
    }
    portOutcome_ = o.result == PortOpening::BadSettings  ? outcome::kPortSettings
                   : isPortBusyText(o.error)              ? outcome::kPortBusy
                   : isPortRefusalText(o.error)           ? outcome::kPortForbidden
                                                          : outcome::kPortMissing;
    if (o.result == PortOpening::BadSettings && !damaged.isEmpty())
        fail(kRefused, QStringLiteral("invalid port settings \"%1\": %2 is damaged (see above)")
                           .arg(o.settingsText, state_->generalIni()));
    else if (o.result == PortOpening::BadSettings)
        fail(kRefused, QStringLiteral("invalid port settings \"%1\" in %2; give --baud or fix "
                                      "them in tavoem")
                           .arg(o.settingsText, state_->generalIni()));
    else
        fail(kRefused, QStringLiteral("cannot open the serial port \"%1\"%2; give another one "
                                      "with --port")
                           .arg(o.port, o.error.isEmpty() ? QString() : QStringLiteral(": ") + o.error));
    return false;
}

int Run::fail(int status, const QString& text) const {
    err(QStringLiteral("tavoemctl ") + name_ + QStringLiteral(": ") + text);
    return status;
}

bool Link::skippedEntries() const {
    QStringList skipped;
    const auto check = [&](const QString& section, int key) {
        if (entryMnemonic(LireIni(state_->generalIni(), section, QString::number(key))).isEmpty())
            skipped << QStringLiteral("[%1] %2").arg(section).arg(key);
    };
    check(kWriteSyn, kSerialWriteKey);
    for (const int key : kParamWriteKeys)
        check(kWriteSyn, key);
    for (const int key : kReadOnlyKeys)
        check(kReadSyn, key);
    if (!skipped.isEmpty())
        fail(kRefused, QStringLiteral("no command in the catalogue entries %1 of %2; their values "
                                      "are skipped (restore the entries, or delete the file to "
                                      "get the default catalogue)")
                           .arg(skipped.join(QStringLiteral(", ")), state_->generalIni()));
    return !skipped.isEmpty();
}

void Run::note(const QString& text) const {
    if (!quiet())
        err(text);
}

QStringList subcommandFirst(const QStringList& args) {
    static const QStringList flags{QStringLiteral("--quiet"), QStringLiteral("--json")};
    static const QStringList withValue{QStringLiteral("--program-dir"), QStringLiteral("--port"),
                                       QStringLiteral("--baud"), QStringLiteral("--timeout"),
                                       QStringLiteral("--ports-from"), QStringLiteral("--jobs")};
    qsizetype i = 0;
    while (i < args.size()) {
        const QString& a = args.at(i);
        if (flags.contains(a) || (a.contains(u'=') && withValue.contains(a.section(u'=', 0, 0))))
            ++i;
        else if (withValue.contains(a))
            i += 2;
        else
            break;
    }
    if (i >= args.size())
        return i == 0 ? args : QStringList{}; // common options alone: no subcommand
    return QStringList{args.at(i)} + args.mid(0, i) + args.mid(i + 1);
}

void out(const QString& line) {
    std::fprintf(stdout, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void outJson(const QJsonValue& value) {
    const QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray())
                                              : QJsonDocument(value.toObject());
    std::fputs(doc.toJson(QJsonDocument::Indented).constData(), stdout);
    std::fflush(stdout);
}

QCommandLineOption recordFormatOption(const QString& name) {
    return {name,
            QStringLiteral("window (default: the data supervision's lines), csv (the same as RFC "
                           "4180 CSV) or data (CSV for data tools: named columns in the metrics' "
                           "units, ISO 8601 time stamps, one 0/1 column per alarm and warning "
                           "bit)."),
            QStringLiteral("format"), QStringLiteral("window")};
}

} // namespace tav::ctl
