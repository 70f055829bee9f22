// The exchange through QSerialPort on a real pseudo-terminal, with a thread playing the board
// on the master side.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/Exchange.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/Columns.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <thread>
#include <utility>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace tav;
using tav::test::ScriptedPrompts;

namespace {

// One pseudo-terminal; a thread on the master side answers each line ended by CR. Answers leave
// in order, each burst at its delay after the previous one (the first: after its line), and
// never before the burst scheduled before it: a board late by a fixed time.
class PtyBoard {
public:
    struct Burst {
        int delayMs;      // before this burst
        QByteArray bytes; // empty: hang up (close the master)
    };
    using Respond = std::function<QList<Burst>(const QByteArray& line)>;

    explicit PtyBoard(Respond respond) : respond_(std::move(respond)) {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) qFatal("openpty failed");
        slaveName = QString::fromLocal8Bit(name);
        thread_ = std::thread([this] { run(); });
    }
    ~PtyBoard() {
        stop_ = true;
        thread_.join();
        hangUp();
    }
    termios attributes() const { // line settings as the device sees them
        termios t{};
        ::tcgetattr(slave_, &t);
        return t;
    }
    QString slaveName;

private:
    void hangUp() {
        for (int* fd : {&slave_, &master_})
            if (*fd >= 0) ::close(std::exchange(*fd, -1));
    }
    void run() {
        QElapsedTimer clock;
        clock.start();
        QByteArray pending;
        std::deque<std::pair<qint64, QByteArray>> out; // due time, bytes
        while (!stop_ && master_ >= 0) {
            while (!out.empty() && out.front().first <= clock.elapsed()) {
                if (out.front().second.isEmpty()) return hangUp();
                const QByteArray& b = out.front().second;
                [[maybe_unused]] auto w = ::write(master_, b.constData(), b.size());
                out.pop_front();
            }
            const qint64 wait = out.empty() ? 20 : out.front().first - clock.elapsed();
            pollfd p{master_, POLLIN, 0};
            char buf[256];
            const ssize_t n = ::poll(&p, 1, int(std::clamp<qint64>(wait, 0, 20))) > 0
                                  ? ::read(master_, buf, sizeof buf) : 0;
            if (n <= 0) continue;
            pending.append(buf, n);
            for (qsizetype cr; (cr = pending.indexOf('\r')) >= 0;) {
                qint64 due = clock.elapsed();
                for (const Burst& b : respond_(pending.left(cr + 1))) {
                    due = std::max(due + b.delayMs, out.empty() ? 0 : out.back().first);
                    out.emplace_back(due, b.bytes);
                }
                pending.remove(0, cr + 1);
            }
        }
    }

    Respond respond_;
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A board with one set point: "SOP=v" is acknowledged "SOP!" (refused "SOP=ERR" above 500), "SOP?"
// answers the last value accepted (CR LF), late by `latencyMs`, each answer in two halves `gapMs`
// apart.
QList<PtyBoard::Burst> setPointBoard(const QByteArray& line, int* value, int latencyMs, int gapMs) {
    const int v = line.mid(4).trimmed().toInt();
    if (line.startsWith("SOP=") && v <= 500) *value = v;
    const QByteArray a = line == "SOP?\r" ? "SOP=" + QByteArray::number(*value) + "\r\n"
                         : QByteArray(v > 500 ? "SOP=ERR\r" : "SOP!\r");
    if (gapMs <= 0) return {{latencyMs, a}};
    return {{latencyMs, a.left(a.size() / 2)}, {gapMs, a.mid(a.size() / 2)}};
}

struct Rig {
    QTemporaryDir dir;
    QtSerialPort port;
    SystemClock clock;
    ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};
    QString link = dir.filePath(QStringLiteral("board-tty"));

    Rig() {
        s.TempsTimeout = 10000; // generous: answers that must arrive may be late under load
        s.NbRepetitions = 0;
        EcrireParametresDefaut(dir.path()); // 19200 bauds, 8 bits, no parity, 1 stop bit
        EcrireIni(s.generalIni(), "RS232", "PORT", link);
        EcrireIni(s.generalIni(), "RS232", "TempsPause2", "2");
    }
    ~Rig() { FermerPort(s); }
    // Points the port's link path at a pty, as udev does for a re-plugged adapter.
    bool linkTo(const QString& target) {
        const QString tmp = link + QStringLiteral(".new");
        QFile::remove(tmp);
        return QFile::link(target, tmp) && ::rename(QFile::encodeName(tmp).constData(),
                                                    QFile::encodeName(link).constData()) == 0;
    }
};

} // namespace

Q_DECLARE_METATYPE(QList<PtyBoard::Burst>)

class TestExchangePty : public QObject {
    Q_OBJECT
private slots:
    void lineSettings() {
        PtyBoard board([](const QByteArray&) { return QList<PtyBoard::Burst>{}; });
        Rig r;
        QVERIFY(r.linkTo(board.slaveName));

        // A pty keeps the speed and the stop bits; it forces 8 bits without parity, so those two
        // are checked on the QSerialPort.
        const QList<std::pair<QString, QString>> line{
            {"BAUD", "9600"}, {"PARITE", "EVEN"}, {"DATA", "7"}, {"STOP", "2"}};
        for (const auto& [key, value] : line)
            EcrireIni(r.s.generalIni(), "RS232", key, value);
        QVERIFY(OuvrirPort(r.s));
        termios t = board.attributes();
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QVERIFY(t.c_cflag & CSTOPB);
        QCOMPARE(r.port.lineSettings().toString(), QString("9600,E,7,2"));
        // Raw line: no echo, no line editing, CR neither translated on input nor on output.
        QVERIFY(!(t.c_lflag & (ICANON | ECHO | ISIG)));
        QVERIFY(!(t.c_iflag & (ICRNL | IGNCR | INLCR)));
        QVERIFY(!(t.c_oflag & OPOST));
    }

    // Every printed answer is the board's own answer to its command, whatever the board's pace:
    // late boards (pauses below and above the time-out, the long pause of a configuration file)
    // answers in two pieces and CR LF line ends. What waits in the input as a command goes out
    // is never its answer: test_exchange. Where the board answers within the command's attempts, each
    // command has its answer; where it answers after them (or never), an answer may be missing,
    // never wrong.
    void answersBelongToTheirCommands_data() {
        test::columns<int, QString, bool, int, int, bool>(
            {"timeout", "pause2", "longPause", "latency", "gap", "answered"});
        QTest::newRow("just above the time-out") << 100 << "100" << false << 130 << 0 << true;
        QTest::newRow("pause above the time-out") << 50 << "" << false << 300 << 0 << true;
        QTest::newRow("pause below the time-out") << 200 << "20" << false << 300 << 0 << true;
        QTest::newRow("long pause") << 200 << "" << true << 300 << 0 << true;
        QTest::newRow("after the last attempt") << 50 << "" << false << 700 << 0 << false;
        QTest::newRow("split, 5 ms") << 200 << "" << false << 2 << 5 << true;
        QTest::newRow("split, time-out - 50 ms") << 200 << "" << false << 2 << 150 << true;
        // Silent, then text without line end for a minute: it must not hold the exchange.
        QTest::newRow("endless text") << 100 << "" << false << -1 << 0 << false;
    }

    void answersBelongToTheirCommands() {
        int value = 100;
        const int latency = test::fetch<int>("latency"), gap = test::fetch<int>("gap");
        PtyBoard board([&, streams = false](const QByteArray& line) mutable {
            QList<PtyBoard::Burst> stream;
            if (latency >= 0) return setPointBoard(line, &value, latency, gap);
            for (int i = 0; i < 12000 && !streams; ++i) stream.push_back({5, "ABCDEFGH"});
            streams = true;
            return stream;
        });
        Rig r;
        QVERIFY(r.linkTo(board.slaveName));
        r.s.TempsTimeout = qint16(test::fetch<int>("timeout"));
        r.s.NbRepetitions = 3;
        r.s.PauseLongue = test::fetch<bool>("longPause");
        EcrireIni(r.s.generalIni(), "RS232", "TempsPause2", test::fetch<QString>("pause2"));
        QList<qint64> late;
        r.s.lateAnswer = [&](qint64 ms) { late << ms; };
        const QList<std::pair<QString, QString>> sent{
            {"SOP=150", "SOP!"}, {"SOP=999", "SOP=ERR"}, {"SOP?", "SOP=150"},
            {"SOP=151", "SOP!"}, {"SOP=998", "SOP=ERR"}, {"SOP?", "SOP=151"}};
        r.s.ReponseBrute = true;
        QStringList got;
        QElapsedTimer t;
        t.start();
        for (const auto& [command, answer] : sent) {
            got << EnvoyerCommande(r.s, command);
            QVERIFY2(got.last() == answer || (got.last().isEmpty() && !test::fetch<bool>("answered")),
                     qPrintable(command + " answered " + got.join('|')));
        }
        QVERIFY2(t.elapsed() < 60000, qPrintable(QString::number(t.elapsed()))); // no hang
        // A board later than the time-out is said, with how late it is.
        QCOMPARE(!late.isEmpty(), latency > r.s.TempsTimeout);
        if (!late.isEmpty()) QVERIFY(late.first() >= latency - 1); // two millisecond clocks
    }

    void unplugAndReplug_data() {
        QTest::addColumn<QList<PtyBoard::Burst>>("pulled");
        QTest::newRow("awaiting the answer") << QList<PtyBoard::Burst>{{30, {}}};
        QTest::newRow("mid-answer") << QList<PtyBoard::Burst>{{1, "VER="}, {4, {}}};
    }

    void unplugAndReplug() {
        QFETCH(QList<PtyBoard::Burst>, pulled);
        // The adapter is pulled while the command is being answered.
        auto first = std::make_unique<PtyBoard>([=](const QByteArray&) { return pulled; });
        Rig r;
        r.s.TempsTimeout = 20000;
        r.s.NbRepetitions = 3;
        QVERIFY(r.linkTo(first->slaveName));
        QVERIFY(OuvrirPort(r.s));

        QElapsedTimer t;
        t.start();
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        // Well within one 20 s time-out: the lost device ends the exchange. Mid-answer, a loaded
        // machine may end the answer by its silence first; the next read then finds the loss.
        QCOMPARE(LireReponse(r.s), QString());
        QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(!r.s.PortOEM.isOpen());
        QVERIFY(r.port.deviceLost());
        QVERIFY(r.prompts.shown.isEmpty());

        // The device and its link are gone (the freed pty number may already belong to another
        // process): one opening error, nothing hangs.
        first.reset();
        QVERIFY(QFile::remove(r.link));
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(r.prompts.shown.size(), 1);

        // A new pty under the same link path: the next exchange opens it again.
        PtyBoard second([](const QByteArray& line) -> QList<PtyBoard::Burst> {
            return {{1, line == "VER?\r" ? QByteArray("VER=2.00\r") : QByteArray()}};
        });
        QVERIFY(r.linkTo(second.slaveName));
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("2.00"));
        QVERIFY(!r.port.deviceLost());
        QCOMPARE(r.prompts.shown.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestExchangePty)
#include "test_exchange_pty.moc"
