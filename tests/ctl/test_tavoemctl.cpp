// tavoemctl end to end: the built program against tavoem-sim on a pseudo-terminal.
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/translation/DefaultTexts.h"
#include "model/BoardModel.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "support/Files.h"
#include "support/Pty.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace tav;

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

// True when every value of `part` is in `whole` (lists of the same length).
bool holds(const QVariant& whole, const QVariant& part) {
    const QVariantMap w = whole.toMap(), p = part.toMap();
    if (part.typeId() == QMetaType::QVariantMap)
        return std::all_of(p.keyBegin(), p.keyEnd(), [&](auto& k) { return holds(w[k], p[k]); });
    if (part.typeId() != QMetaType::QVariantList) return whole == part;
    const QVariantList wl = whole.toList(), pl = part.toList();
    return std::ranges::equal(pl, wl, [](auto& a, auto& b) { return holds(b, a); });
}

} // namespace

class TestTavoemctl : public QObject {
    Q_OBJECT

    test::SimProcess sim_;
    QTemporaryDir dir_;
    QString simLog_;
    rlim_t fileLimit_ = 0; // a full disk for tavoemctl: files cannot grow beyond it

    // tavoemctl on the program folder ("@" in arguments) and the simulator, both given before
    // the subcommand; Ctrl-C (or `signal`) once stderr shows interruptAt, if given. JSON output
    // that breaks the subcommand's schema gives status -2.
    Result run(QStringList args, const QByteArray& interruptAt = {}, int signal = SIGINT) {
        const QString schema = args.value(0);
        for (QString& a : args)
            a.replace(u'@', dir_.path());
        args.prepend(dir_.path());
        args.prepend(QStringLiteral("--program-dir"));
        if (!args.contains(QStringLiteral("--port")))
            args.prepend(QStringLiteral("--port=") + sim_.devicePath());
        QProcess p;
        // Signals reach it alone, never the runner's group.
        test::ownGroup(p, [limit = fileLimit_] {
            if (limit) test::limitFileSize(limit);
        });
        p.start(qEnvironmentVariable("TAVOEMCTL_BIN"), args);
        p.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!interruptAt.isEmpty() && !err.contains(interruptAt) && p.waitForReadyRead(30000))
            err += p.readAll();
        if (!interruptAt.isEmpty() && p.processId() > 0) ::kill(pid_t(p.processId()), signal);
        if (!p.waitForFinished(60000)) return {};
        Result r{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                 QString::fromLocal8Bit(p.readAllStandardOutput()),
                 QString::fromLocal8Bit(err + p.readAllStandardError())};
        if (args.contains("--json") && !r.out.isEmpty())
            if (const QString f = test::schemaFaults(r.out.toUtf8(), schema); !f.isEmpty())
                qWarning() << f, r.status = -2;
        return r;
    }
    void write(const QString& name, const QByteArray& text) {
        QVERIFY(test::writeBytes(dir_.filePath(name), text));
    }

private slots:
    // The program folder is in the internal variant, "@/customer" in the customer one; no display.
    void initTestCase() {
        QVERIFY(!qEnvironmentVariableIsEmpty("TAVOEMCTL_BIN"));
        for (const char* name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            qunsetenv(name);
        EcrireTextesDefaut(dir_.filePath("langue.ini"));
        QVERIFY(EcrireMarqueurUsine(dir_.path()));
        simLog_ = dir_.filePath(QStringLiteral("sim.log"));
        QVERIFY(sim_.start({QStringLiteral("--no-noise"), QStringLiteral("--log"), simLog_}));
        write("plain.txt", "ASS=0\r\nXYZ=1\r\nASS=2\r\n");
        write("good.hex", ":0100000000FF\r\n:00000001FF\r\n");
        write("bad.hex", ":0100000000FE\r\n:00000001FF\r\n");
        QVERIFY(QDir(dir_.path()).mkdir("damaged"));
        write("damaged/General.ini", ""); // and the sim's port given for the run
    }

    void statuses_data() {
        // out: part of stdout, or of stderr for a failure
        test::columns<QStringList, int, QString>({"args", "status", "out"});
        const QString version = sim::BoardModel().version();
        QTest::newRow("send") << QStringList{"send", "VER?"} << 0 << version;
        QTest::newRow("not acknowledged")
            << QStringList{"send", "--expect-ack", "VER?"} << 1 << "not acknowledged";
        QTest::newRow("unknown subcommand") << QStringList{"raed"} << 2 << "did you mean \"read\"?";
        QTest::newRow("unknown option") << QStringList{"read", "--jsno"} << 2 << "mean --json?";
        QTest::newRow("missing operand") << QStringList{"crypt"} << 2 << "missing arguments";
        QTest::newRow("unexpected operand") << QStringList{"read", "VER"} << 2 << "\"VER\"";
        QTest::newRow("bad rate") << QStringList{"read", "--baud", "fast"} << 2 << "--baud";
        QTest::newRow("bad pause")
            << QStringList{"download", "--pause", "2x", "@/good.hex"} << 2 << "--pause";
        QTest::newRow("crypt json") << QStringList{"crypt", "--json", "@/plain.txt"} << 2 << "json";
        QTest::newRow("decrypt json") << QStringList{"decrypt", "--json"} << 2 << "json";
        QTest::newRow("no port")
            << QStringList{"send", "--port", "@/nothing", "VER?"} << 1 << "cannot open";
        QTest::newRow("help") << QStringList{"send", "--help"} << 0 << "--expect-ack";
        QTest::newRow("help, operands")
            << QStringList{"load-config", "-h"} << 0 << "Arguments:\n  FILE\n";
        QTest::newRow("crypt, existing file")
            << QStringList{"crypt", "--out", "@/good.hex", "@/plain.txt"} << 2 << "exists already";
        QTest::newRow("crypt, customer variant")
            << QStringList{"crypt", "--program-dir", "@/customer", "@/plain.txt"} << 2
            << "README section \"Menus and windows\"";
        QTest::newRow("factory download, customer variant")
            << QStringList{"download", "--program-dir", "@/customer", "--factory", "@/good.hex"}
            << 2 << "internal variant";
        QTest::newRow("corrupt download")
            << QStringList{"download", "--client", "@/bad.hex"} << 2 << "not a sound Intel-HEX";
        QTest::newRow("corrupt download, factory (answered No)")
            << QStringList{"download", "@/bad.hex"} << 2 << "-> No";
        QTest::newRow("record, existing file")
            << QStringList{"record", "--period", "1", "--out", "@/plain.txt"} << 2
            << "plain.txt exists already";
        QTest::newRow("damaged settings")
            << QStringList{"read", "--program-dir", "@/damaged"} << 1 << "[RS232] lacks PORT, BAUD";
        QTest::newRow("report, unwritable file")
            << QStringList{"report", "--pdf", "@/nothing/r.pdf"} << 2 << "could not be written";
        QTest::newRow("report, existing file") // nothing read: the board's log stays as it is
            << QStringList{"report", "--pdf", "@/sim.log"} << 2 << "Add --replace to replace it";
        QTest::newRow("record --json") << QStringList{"record", "--period", "1", "--json"} << 2
                                       << "--json";
        QTest::newRow("record, not a number")
            << QStringList{"record", "--period", "1", "--rows", "two"} << 2 << "--rows";
        for (const auto& [listen, said] : {std::pair{"127.0.0.1:70000", "not \"127.0.0.1:70000\""},
                                           {"192.0.2.1:9", "Metrics beyond this machine"}}) // said first
            QTest::newRow(said) << QStringList{"monitor", "--port", "/b1", "--listen", listen} << 2 << said;
        for (const char* sub : {"monitor", "read"}) // one device under two spellings
            QTest::addRow("%s, a port twice", sub) << QStringList{sub, "--port", "/b1", "--port", "//b1"} << 2
                                                  << "\"//b1\" is given twice";
        QTest::newRow("good download, factory without acknowledgement")
            << QStringList{"download", "--no-ack", "@/good.hex"} << 0 << "";
    }
    void statuses() {
        QFETCH(int, status);
        QFETCH(QString, out);
        const Result r = run(test::fetch<QStringList>("args"));
        QCOMPARE(r.status, status);
        QVERIFY2((status == 0 ? r.out : r.err).contains(out), qPrintable(r.out + r.err));
        for (const QString& line : r.out.split('\n')) // help within 80 columns
            QVERIFY2(line.size() <= 80, qPrintable(line));
        QVERIFY2(!r.err.contains("XDG_RUNTIME_DIR"), qPrintable(r.err)); // Qt's runtime warning
    }

    // One stdout line per command sent, or the JSON document holding `expected`.
    void outputs_data() {
        test::columns<QStringList, int, QString>({"args", "status", "expected"});
        QTest::newRow("send, one line per command")
            << QStringList{"send", "--timeout", "50", "", "SNU?"} << 1
            << "\nSNU=" + QString::fromLatin1(sim::BoardParams::factory().serial) + "\n";
        QTest::newRow("send, refused or unknown")
            << QStringList{"send", "--json", "PON=30", "XYZ?", "VER?"} << 1
            << R"([{"ok":false},{"ok":false},{"ok":true}])";
        QTest::newRow("download") << QStringList{"download", "--json", "--client", "@/good.hex"}
                                  << 0 << R"({"result":"succeeded","lines":2,"sent":2})";
        QTest::newRow("report") << QStringList{"report", "--json", "--replace", "--pdf", "@/r.pdf"}
                                << 0 << R"({"result":"written","serial":"TAV0001"})";
        QTest::newRow("detect-baud") << QStringList{"detect-baud", "--json"} << 0
                                     << R"({"baud":19200,"stored":false})";
        QTest::newRow("download, failing line")
            << QStringList{"download", "--json", "--yes", "@/bad.hex"} << 1
            << R"({"result":"failed","sent":0,"failedLine":1})";
    }
    void outputs() {
        QFETCH(QString, expected);
        const Result r = run(test::fetch<QStringList>("args"));
        QTEST(r.status, "status");
        const QJsonDocument part = QJsonDocument::fromJson(expected.toUtf8());
        if (part.isNull())
            QCOMPARE(r.out, expected);
        else
            QVERIFY2(holds(QJsonDocument::fromJson(r.out.toUtf8()).toVariant(), part.toVariant()),
                     qPrintable(r.out));
    }

    // "xxx" is null, named on stderr, status 1; 30% garbled answers (SNU, VER first) show none.
    // A catalogue entry that names no command: skipped, named, status 1. The report: status 1.
    void readUnavailable() {
        const QString ini = dir_.filePath("General.ini"), ramp = LireIni(ini, "WRITE SYN", "16");
        EcrireIni(ini, "WRITE SYN", "16", "RP2");
        const Result skipped = run({"read"});
        EcrireIni(ini, "WRITE SYN", "16", ramp);
        QVERIFY2(skipped.status == 1 && skipped.err.contains("entries [WRITE SYN] 16 of"),
                 qPrintable(skipped.err));
        test::SimProcess board;
        QVERIFY(board.start({"--xxx", "TC1", "--garbage-rate", "30%", "--seed", "8"}));
        const Result r = run({"read", "--json", "--port", board.devicePath(), "--timeout", "50"});
        const QJsonObject values = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QVERIFY2(r.status == 1 && r.err.contains("not available (xxx): TC1") &&
                     values["TC1"].isNull() && values.size() == 33 &&
                     !r.out.contains(QRegularExpression("[^ -~\\n]|\\\\u")), // printable
                 qPrintable(r.out + r.err));
        const Result report = run({"report", "--pdf", "@/incomplete.pdf", "--port",
                                   board.devicePath(), "--timeout", "50"});
        QVERIFY2(report.status == 1, qPrintable(report.err));
    }

    // Each answer printed is its command's in the board's log; none is missing where the board
    // answers within the command's attempts. A board later than the time-out is said once. One
    // board for both runs: the answers the first run still owed when it ended never reach the
    // second.
    void lateAnswers_data() {
        test::columns<QStringList, QString, bool, int>({"board", "timeout", "answered", "runs"});
        QTest::newRow("300 ms") << QStringList{"--delay-ms", "300"} << "50" << true << 2;
        QTest::newRow("after every attempt")
            << QStringList{"--delay-ms", "2100"} << "50" << false << 1;
    }
    void lateAnswers() {
        const QStringList sent{"SOP=150", "SOP=999", "SOP=155", "SOP?"};
        test::SimProcess sim;
        QVERIFY(sim.start(test::fetch<QStringList>("board") +
                          QStringList{"--log", dir_.filePath("late.log")}));
        const bool late = test::fetch<QStringList>("board").contains("--delay-ms");
        for (int n = 0; n < test::fetch<int>("runs"); ++n) {
            const Result r = run(QStringList{"send", "--timeout", test::fetch<QString>("timeout"),
                                             "--port", sim.devicePath()} + sent);
            const QStringList printed = r.out.split('\n');
            const QString log = test::fileBytes(dir_.filePath("late.log"));
            QCOMPARE(printed.size(), sent.size() + 1);
            const auto esc = [](const QString& t) { return QRegularExpression::escape(t); };
            for (int i = 0; i < sent.size(); ++i)
                QVERIFY2(printed[i].isEmpty()
                             ? !test::fetch<bool>("answered")
                             : log.contains(QRegularExpression("RX " + esc(sent[i]) + "\n.* TX " +
                                                               esc(printed[i]) + "\n")),
                         qPrintable(printed.join('|')));
            QCOMPARE(r.err.count("later than the time-out"), late ? 1 : 0);
        }
    }

    // A board at another rate is found (2400 is never tried); only --store keeps the rate, also
    // one found at once at the rate given for the run. A scan killed between two rates leaves the
    // stored rate alone, as does a full disk (the rate printed, the reason said, status 2).
    void detectBaud_data() {
        // found: the board's rate, empty: at 2400 (status 1); baud: for the run; killed at 4800
        test::columns<bool, QString, QStringList, bool>({"store", "found", "baud", "killed"});
        QTest::newRow("found") << false << "38400" << QStringList{} << false;
        QTest::newRow("given and stored") << true << "38400" << QStringList{"--baud", "38400"} << false;
        QTest::newRow("none") << true << "" << QStringList{} << false;
        QTest::newRow("killed") << true << "" << QStringList{} << true;
        QTest::newRow("full disk") << true << "38400" << QStringList{} << false;
    }
    void detectBaud() {
        QFETCH(bool, store);
        QFETCH(QString, found);
        QFETCH(bool, killed);
        test::SimProcess board;
        QVERIFY(board.start({QStringLiteral("--baud"), found.isEmpty() ? "2400" : found}));
        const QString ini = dir_.filePath("General.ini"), before = LireIni(ini, "RS232", "BAUD");
        if (killed) QVERIFY(EcrireIni(ini, "RS232", "BAUD", "115200")); // not tried by then
        const QStringList args{"detect-baud", "--timeout", "100", "--port", board.devicePath(),
                               store ? "--store" : "--quiet"};
        const bool full = QTest::currentDataTag() == QByteArray("full disk");
        fileLimit_ = full ? 1024 : 0; // the port's lock file fits, "General.ini" not
        const Result r = run(args + test::fetch<QStringList>("baud"),
                             killed ? "Scan for 4800" : "", SIGKILL);
        fileLimit_ = 0;
        QCOMPARE(r.status, killed ? -1 : full ? 2 : found.isEmpty() ? 1 : 0);
        QCOMPARE(r.out.trimmed(), found);
        QVERIFY2(!full || r.err.contains("answers at 38400 bd, but the rate cannot be written"),
                 qPrintable(r.err));
        QCOMPARE(LireIni(ini, "RS232", "BAUD"),
                 killed ? "115200" : store && !found.isEmpty() && !full ? found : before);
        EcrireIni(ini, "RS232", "BAUD", before);
    }

    // The load stops at the line the board refuses and recalls the factory parameters.
    void loadConfig() {
        QCOMPARE(run({"crypt", "@/plain.txt"}).status, 0);
        const Result again = run({"crypt", "--out", "@/cfg_vtl.txt", "--replace", "@/plain.txt"});
        QVERIFY2(again.status == 0 && again.err.contains("cfg_vtl.txt\" was replaced"),
                 qPrintable(again.err));
        const Result r = run({"load-config", "--json", "@/cfg_vtl.txt"});
        QCOMPARE(r.status, 1);
        QVERIFY2(holds(QJsonDocument::fromJson(r.out.toUtf8()).toVariant(),
                       QVariantMap{{"result", "refused"}, {"refusedCommand", "XYZ=1"}}),
                 qPrintable(r.out));
        QVERIFY2(r.err.contains("factory parameters recalled"), qPrintable(r.err));
        const QByteArray log = test::fileBytes(simLog_);
        QVERIFY(log.contains("RVP"));
        QVERIFY(!log.contains("ASS=2"));
        QCOMPARE(run({"load-config", "@/plain.txt"}).status, 2); // not scrambled: nothing sent
        write("empty.txt", "\r\n");
        const Result empty = run({"load-config", "@/empty.txt"});
        QVERIFY(empty.status == 0 && empty.err.contains("held no command: nothing was sent"));
        test::SimProcess silent; // never "refused"; the command and its line named
        QVERIFY(silent.start({"--no-answer-rate", "1"}));
        const Result none = run({"load-config", "--json", "--timeout", "20", "--port",
                                 silent.devicePath(), "@/cfg_vtl.txt"});
        QVERIFY2(none.status == 1 && none.err.contains("did not answer \"ASS=0\" (line 1") &&
                     holds(QJsonDocument::fromJson(none.out.toUtf8()).toVariant(),
                           QVariantMap{{"result", "no answer"}, {"unansweredCommand", "ASS=0"}}),
                 qPrintable(none.out + none.err));
    }

    // Ctrl-C stops either download between two lines: neither the last line nor "UPL=2" goes.
    void downloadInterrupted_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("customer") << QStringList{"download", "--client", "@/long.hex"};
        QTest::newRow("factory") << QStringList{"download", "--pause=20", "@/long.hex"};
    }
    void downloadInterrupted() {
        write("long.hex", QByteArray(":0100000000FF\r\n").repeated(100) + ":00000001FF\r\n");
        const qsizetype logged = test::fileBytes(simLog_).size();
        const Result r = run(test::fetch<QStringList>("args"), "download: 10%");
        QVERIFY2(r.status == 130 && r.err.contains("run the download again to its end"),
                 qPrintable(r.err));
        const QByteArray log = test::fileBytes(simLog_).mid(logged);
        QVERIFY2(!log.contains(":00000001FF") && !log.contains("UPL=2"), log.constData());
    }

    // A full disk: the report leaves the file already there as it was, the record keeps whole
    // lines only (no file without one); each says why (status 2) and advises to make room.
    void fullDisk_data() {
        test::columns<QStringList, int>({"args", "limit"});
        QTest::newRow("report") << QStringList{"report", "--replace", "--pdf", "@/full.pdf"} << 12288;
        const QStringList record{"record", "--period", "1", "--out", "@/full.xls"};
        QTest::newRow("record") << record << 200;
        QTest::newRow("record, no whole line") << record << 20;
    }
    void fullDisk() {
        const QStringList args = test::fetch<QStringList>("args");
        const QString file = dir_.filePath(args.last().mid(2));
        const bool report = file.endsWith(".pdf");
        if (report) QVERIFY(test::writeBytes(file, "OLD"));
        fileLimit_ = test::fetch<int>("limit");
        const Result r = run(args);
        const bool kept = QFile::exists(file);
        fileLimit_ = 0;
        const QByteArray bytes = test::fileBytes(file);
        QFile::remove(file);
        QCOMPARE(kept, test::fetch<int>("limit") > 20);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("File too large") && r.err.contains("Free some space"), qPrintable(r.err));
        const QList<QByteArray> lines = bytes.split('\n');
        QVERIFY(report ? bytes == "OLD" : lines.last().isEmpty());
        for (const QByteArray& line : lines.mid(0, lines.size() - 1))
            QCOMPARE(line.count('\t'), 11);
    }

    // Ctrl-C at a row's second read lets the row finish and writes it whole (status 0); another
    // at its third read ends the run at once without it (status 130).
    void recordInterrupted() {
        test::SimProcess board;
        const QString log = dir_.filePath("interrupted.log");
        QVERIFY(board.start({"--delay-ms", "150", "--log", log}));
        const QStringList args{"record", "--period", "1", "--timeout", "1000", "--program-dir",
                               dir_.path(), "--port", board.devicePath()};
        for (const int interrupts : {1, 2}) {
            const qsizetype logged = test::fileBytes(log).size();
            QProcess p; // killed by its destructor if the test fails
            p.start(qEnvironmentVariable("TAVOEMCTL_BIN"), args);
            for (const int i : {0, 1}) {
                QTRY_VERIFY_WITH_TIMEOUT(
                    test::fileBytes(log).mid(logged).contains(i ? "RX PS2?" : "RX OPW?"), 30000);
                if (i < interrupts) ::kill(pid_t(p.processId()), SIGINT);
            }
            QVERIFY(p.waitForFinished(60000));
            const QStringList lines = QString::fromLatin1(p.readAll()).split("\r\n", Qt::SkipEmptyParts);
            QVERIFY(p.exitCode() == (interrupts == 1 ? 0 : 130) && lines.size() == 3 - interrupts);
            QCOMPARE(lines.last().split('\t').mid(3, 8).count(QString()), 0); // whole, or the header
        }
    }

    // Header and rows in the record format (eleven TAB-ended cells) or as CSV, CR LF; the first
    // written line is dated, also when it is not the first row. A silent board ends the run at
    // its first read (its row written, empty) with one line naming the read and the time; --yes
    // records the empty cells and goes on.
    void record_data() {
        test::columns<QStringList, int, int>({"args", "status", "lines"});
        QTest::newRow("every 2") << QStringList{"--every=2"} << 0 << 2;
        QTest::newRow("CSV") << QStringList{"--csv"} << 0 << 3;
        QTest::newRow("silent board") << QStringList{"silent"} << 1 << 2;
        QTest::newRow("silent board, --yes") << QStringList{"silent", "--yes"} << 0 << 3;
    }
    void record() {
        QFETCH(QStringList, args);
        test::SimProcess board;
        const bool silent = args.removeAll("silent");
        if (silent && board.start({QStringLiteral("--no-answer-rate"), QStringLiteral("1")}))
            args << "--port" << board.devicePath() << "--timeout" << "20";
        const QString ini = dir_.filePath("General.ini");
        if (!QFile::exists(ini)) EcrireParametresDefaut(dir_.path()); // run alone
        const QString pause = LireIni(ini, "RS232", "TempsPause2");
        EcrireIni(ini, "RS232", "TempsPause2", "2"); // 1 ms pauses: unanswered reads are quick
        const Result r = run(QStringList{"record", "--rows", "2", "--period", "1"} + args);
        EcrireIni(ini, "RS232", "TempsPause2", pause);
        QTEST(r.status, "status");
        const QStringList lines = r.out.split("\r\n", Qt::SkipEmptyParts);
        const QChar sep = args.contains("--csv") ? u',' : u'\t';
        QCOMPARE(lines.size(), test::fetch<int>("lines"));
        for (const QString& line : lines)
            QCOMPARE(line.count(sep), sep == u',' ? 10 : 11);
        QVERIFY(lines[0].startsWith(QStringLiteral("DATE") + sep));
        QVERIFY2(!lines[1].section(sep, 0, 0).isEmpty(), qPrintable(r.out));
        QCOMPARE(lines.last().section(sep, 3).count(QRegularExpression("[^\t,]")) == 0, silent);
        if (silent) // once; without --yes with the read that got no answer
            QVERIFY2(r.err.count('\n') == 1 && r.err.contains(QRegularExpression(
                         "link lost at \\d\\d:\\d\\d:\\d\\d( \\(no answer to IPW\\?|\\n)")),
                     qPrintable(r.err));
    }

    // --format data loads with Python's csv module: named columns in the metrics' units, a
    // stamp with its offset on every row, one 0/1 column per alarm and warning bit.
    void recordAsData() {
        test::SimProcess board;
        QVERIFY(board.start({"--no-noise", "--pin=-12.3", "--case=31"}));
        const Result r = run({"record", "--rows", "2", "--period", "1", "--format", "data", "--port", board.devicePath()});
        QCOMPARE(r.status, 0);
        QProcess py;
        py.start("python3", {"-c", "import csv,sys,datetime as d\n"
                                   "rows=list(csv.DictReader(sys.stdin))\n"
                                   "assert all(d.datetime.fromisoformat(r['time']).utcoffset() is not None for r in rows)\n"
                                   "bits=[k for k in rows[0] if k.startswith(('alarm: ','warning: '))]\n"
                                   "r=rows[-1]\n"
                                   "print(len(rows),len(bits),r['input_power_dbm'],r['case_temperature_celsius'],r['laser_on'],"
                                   "r['alarm: Loss of Input Power'] in ('0','1'),{r[b] for b in bits}<={'0','1'})"});
        py.write(r.out.toUtf8()), py.closeWriteChannel();
        QVERIFY(py.waitForFinished(60000));
        QCOMPARE(QString(py.readAllStandardOutput() + py.readAllStandardError()).trimmed(), QString("2 11 -12.3 31 0 True True"));
    }
};

QTEST_GUILESS_MAIN(TestTavoemctl)
#include "test_tavoemctl.moc"
