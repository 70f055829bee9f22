#pragma once

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/link/QtSerialPort.h"

#include <QCommandLineParser>
#include <QJsonValue>
#include <QStringList>

#include <functional>
#include <memory>

namespace tav::ctl {

// Exit statuses of every subcommand.
enum Status { kOk = 0, kRefused = 1, kUsage = 2 };

// Messages of the core on the console: all on stderr (informations left out with --quiet);
// questions answered No, or Yes with --yes.
class ConsolePrompts : public Prompts {
public:
    bool quiet = false;
    bool yes = false;
    std::function<void()> beforeOutput; // runs before each message (ends a progress bar)
    QString prefix;                     // before each message (the port, in a batch run)
    void message(const QString& text, const QString& title, PromptIcon icon) override;
    bool askYesNo(const QString& text, const QString& title, PromptIcon icon) override;
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

// The one wording of each board outcome, in every subcommand's results, batch summaries and JSON.
namespace outcome {
inline const QString kNoAnswer = QStringLiteral("no answer");
inline const QString kRefused = QStringLiteral("refused");
inline const QString kPortMissing = QStringLiteral("port missing");     // absent, or cannot open
inline const QString kPortBusy = QStringLiteral("port busy");           // another program has it
inline const QString kPortForbidden = QStringLiteral("port forbidden"); // no rights to it
inline const QString kPortSettings = QStringLiteral("port settings");    // invalid line settings
} // namespace outcome

// The board on one port: its own exchange state, port and console messages. A run has one; a
// batch run has one per port, each used by its own thread.
class Link {
public:
    // `name` is the subcommand's; `port` empty for a single run (its messages bear no port).
    Link(const QString& name, const QString& programDir, const QString& port, bool batch);
    ~Link(); // late answers still owed are waited for: the next run must not take them
    AppState& state() { return *state_; }
    // Opens the board's port; a failure is reported on stderr. In a batch run the board's
    // serial number is asked once it is open (for the summary).
    bool openPort();
    QString portName() const { return portName_; } // as opened
    QString portOutcome() const { return portOutcome_; } // why openPort() failed (outcome::)
    int fail(int status, const QString& text) const;
    void note(const QString& text) const;
    bool skippedEntries() const;
    ConsolePrompts& prompts() { return prompts_; }
    bool quiet() const { return prompts_.quiet; }
    bool batch() const { return batch_; }
    // Standard output: written at once, or kept for the end of a batch run.
    void out(const QString& line);
    void outJson(const QJsonValue& value);

    QString damaged;  // the damaged-settings message of the program folder, or empty
    QString serial;   // the board's serial number, when known
    QStringList lines; // kept output (batch)
    QJsonValue json;   // kept JSON (batch)

private:
    QString name_;
    bool batch_;
    QString portName_;
    QString portOutcome_;
    ConsolePrompts prompts_;
    SystemClock clock_;
    QtSerialPort serial_;
    std::unique_ptr<AppState> state_;
    bool lateSaid_ = false;
};

// Whether a subcommand gives structured output with --json; one that does not refuses it.
enum class Json { Offered, Refused };

// One subcommand run: its options (the common ones and its own), the program folder and the
// board link.
//
//   Run run("send", "CMD...", "Sends each command ...");
//   run.parser.addOption(expectAck);
//   if (const int st = run.parse(args); st >= 0) return st;
//   if (!run.openPort()) return kRefused;
class Run {
public:
    // `arguments` names the operands ("FILE"); `operandHelp` describes them.
    Run(const QString& name, const QString& arguments, const QString& description,
        Json json = Json::Offered, const QString& operandHelp = {});
    QCommandLineParser parser;

    // Parses the arguments (after the subcommand's name). -1 to go on; otherwise the status to
    // exit with (help printed: 0; bad usage: 2, with its message).
    // minArgs/maxArgs bound the positional arguments (maxArgs -1: no bound).
    int parse(const QStringList& args, int minArgs = 0, int maxArgs = 0);
    QStringList positional() const { return parser.positionalArguments(); }
    QString helpText() const; // wrapped at 80 columns, the operands named
    bool json() const { return parser.isSet(json_); }
    bool quiet() const { return quiet_; }

    // The program folder with its settings (written with their defaults when missing) and the
    // exchange settings of this run. Ready after parse.
    AppState& state() { return link_->state(); }
    Link& link() { return *link_; }
    // Opens the board's port; a failure is reported on stderr.
    bool openPort() { return link_->openPort(); }
    QString portName() const { return link_->portName(); } // as opened

    // Adds --ports-from FILE and, with `jobs`, --jobs N (before parse).
    void setPortListOptions(bool jobs);
    // The ports of --port (repeated) and --ports-from; false, reported, when the file cannot be
    // read or a pattern line (*, ? or [) matches no serial device. Pattern lines are expanded
    // to the devices they match now, or kept as they are with `keepPatterns` (the monitor
    // matches them again and again).
    bool ports(QStringList* list, bool keepPatterns = false) const;
    // False, reported with the port named, when a device is given twice.
    bool distinctPorts(const QStringList& ports) const;
    bool portListGiven() const { return parser.isSet(portsFrom_); }
    const QCommandLineOption& jobsOption() const { return jobs_; }
    // A link of its own for `port`, with this run's settings (a batch run's thread builds it).
    std::unique_ptr<Link> linkFor(const QString& port) const;
    QString name() const { return name_; }

    // The whole number given to `option`, within min..max; `fallback` when it is absent.
    // Anything else is reported on stderr, naming the option, and *ok becomes false: exit with
    // kUsage then.
    qint64 number(const QCommandLineOption& option, qint64 min, qint64 max, qint64 fallback,
                  bool* ok) const;

    // A line on stderr, prefixed with the program's name; gives `status`.
    int fail(int status, const QString& text) const;
    // A line on stderr unless --quiet.
    void note(const QString& text) const;
    // Names on stderr each catalogue entry of the board reading that "General.ini" lacks (or
    // that names no command), section and key: its value is skipped. True when there was one.
    bool skippedEntries() const { return link_->skippedEntries(); }
    void setYesOption(); // adds --yes (questions answered Yes instead of No)
    ConsolePrompts& prompts() { return link_->prompts(); }

private:
    QString name_, arguments_, description_, operandHelp_;
    QCommandLineOption dir_, port_, baud_, timeout_, quietOpt_, json_, help_, yes_, portsFrom_,
        jobs_;
    bool hasYes_ = false;
    bool jsonRefused_ = false;
    bool quiet_ = false;
    std::unique_ptr<Link> link_;
};

// The arguments after the program's name, with the common options given before the subcommand
// moved after its name ("--port P read" gives "read --port P"), so that they work on either side.
QStringList subcommandFirst(const QStringList& args);

// `text` broken into lines of at most `width` columns at blanks, each after `indent` blanks.
QString wrapped(const QString& text, int width = 80, int indent = 0);
// The name of `names` within two edits of `typed` (the closest), or empty.
QString nearestName(const QString& typed, const QStringList& names);

// Writes a line on stdout (flushed, for pipes).
void out(const QString& line);
// --NAME window|csv|data, the format of records (record --format, monitor --record-format).
QCommandLineOption recordFormatOption(const QString& name);
// Writes a JSON document on stdout.
void outJson(const QJsonValue& value);

} // namespace tav::ctl
