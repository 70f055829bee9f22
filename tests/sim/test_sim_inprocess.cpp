#include "model/InProcessPort.h"
#include "support/ManualClock.h"

#include <QtTest>

using tav::sim::BoardModel;
using tav::sim::InProcessPort;
using Fault = InProcessPort::Fault;

namespace {

struct Rig {
    BoardModel board;
    tav::test::ManualClock clock;
    InProcessPort port{board, clock};
    Rig() {
        board.setNoiseEnabled(false);
        board.setRampEnabled(false);
        QString error;
        QVERIFY(port.open(QStringLiteral("COM1"), {}, &error));
    }
};

} // namespace

class TestSimInProcess : public QObject {
    Q_OBJECT

private slots:
    void answerArrivesAfterTheDelayOnTheClock() {
        Rig r;
        r.port.setAnswerDelay(30);
        const qint64 t0 = r.clock.now();
        QVERIFY(r.port.write("SNU"));
        QVERIFY(r.port.write("?\r"));
        QCOMPARE(r.port.bytesAvailable(), 0);
        QVERIFY(!r.port.waitForInput(10)); // not yet: the clock moved by the whole wait
        QCOMPARE(r.clock.now(), t0 + 10);
        QVERIFY(r.port.waitForInput(100)); // moved up to the arrival only
        QCOMPARE(r.clock.now(), t0 + 30);
        QCOMPARE(r.port.readAll(), QByteArray("SNU=TAV0001\r"));
        QCOMPARE(r.port.receivedLines(), QList<QByteArray>{"SNU?"});
        QCOMPARE(r.port.sentAnswers(), QList<QByteArray>{"SNU=TAV0001"});
        QCOMPARE(r.port.rawWritten(), QByteArray("SNU?\r"));

        // Two commands in one write: two answers in order; a wait on ready input takes no time.
        r.port.setAnswerDelay(0);
        r.port.write("ASS=2\rSTS?\r");
        const qint64 t1 = r.clock.now();
        QVERIFY(r.port.waitForInput(50));
        QCOMPARE(r.clock.now(), t1);
        QCOMPARE(r.port.readAll(), QByteArray("ASS!\rSTS=ON\r"));
        QCOMPARE(r.port.lastLine(), QByteArray("STS?"));
    }

    void splitAnswerComesInTwoBursts() {
        Rig r;
        r.port.setSplitAnswer(25, 4);
        r.port.write("SNU?\r");
        QVERIFY(r.port.waitForInput(200));
        QCOMPARE(r.port.readAll(), QByteArray("SNU="));
        QVERIFY(!r.port.waitForInput(10));
        QVERIFY(r.port.waitForInput(200));
        QCOMPARE(r.port.readAll(), QByteArray("TAV0001\r"));
    }

    void faultsNoAnswerAndGarbage() {
        Rig r;
        r.port.setFault(Fault::NoAnswer, 2);
        for (int i = 0; i < 2; ++i) {
            r.port.write("SNU?\r");
            QVERIFY(!r.port.waitForInput(200));
        }
        r.port.write("SNU?\r"); // the fault is used up
        QVERIFY(r.port.waitForInput(200));
        QCOMPARE(r.port.readAll(), QByteArray("SNU=TAV0001\r"));

        r.port.setFault(Fault::Garbage);
        r.port.write("SNU?\r");
        QVERIFY(r.port.waitForInput(200));
        const QByteArray g = r.port.readAll();
        QVERIFY(!g.contains("SNU") && !g.contains('\r') && !g.isEmpty());
        r.port.setFault(Fault::None);

        // A scripted answer replaces the board's; silence is an empty one.
        r.port.responder = [](const QByteArray& line) -> std::optional<QByteArray> {
            if (line == "VER?") return QByteArray("VER=TEST");
            if (line == "ALA?") return QByteArray();
            return std::nullopt;
        };
        r.port.write("VER?\rALA?\rASS?\r");
        QVERIFY(r.port.waitForInput(10));
        QCOMPARE(r.port.readAll(), QByteArray("VER=TEST\rASS=0\r"));
    }

    void wrongRateGetsSilenceOrGarbage() {
        Rig r;
        r.port.close();
        r.port.setBoardBaud(38400);
        QVERIFY(r.port.open(QStringLiteral("COM1"), {}, nullptr)); // 19200
        r.port.write("SNU?\r");
        QVERIFY(!r.port.waitForInput(300));
        r.port.setBoardBaud(38400, true);
        r.port.write("SNU?\r");
        QVERIFY(r.port.waitForInput(300));
        QVERIFY(!r.port.readAll().contains("SNU"));
        r.port.close();
        tav::LineSettings fast;
        fast.baud = 38400;
        QVERIFY(r.port.open(QStringLiteral("COM1"), fast, nullptr));
        QCOMPARE(r.port.openedSettings().baud, 38400);
        r.port.write("SNU?\r");
        QVERIFY(r.port.waitForInput(300));
        QCOMPARE(r.port.readAll(), QByteArray("SNU=TAV0001\r"));
    }

    void unplugClosesAndOpenFailsUntilReplug() {
        Rig r;
        r.port.setAnswerDelay(20);
        r.port.write("SNU?\r");
        r.port.unplug();
        QVERIFY(!r.port.isOpen());
        const qint64 t = r.clock.now();
        QVERIFY(!r.port.waitForInput(200)); // a closed port returns at once
        QCOMPARE(r.clock.now(), t);
        QCOMPARE(r.port.bytesAvailable(), 0);
        QVERIFY(!r.port.write("SNU?\r"));
        QString error;
        QVERIFY(!r.port.open(QStringLiteral("COM1"), {}, &error));
        QVERIFY(!error.isEmpty());
        r.port.replug();
        QVERIFY(r.port.open(QStringLiteral("COM1"), {}, &error));
        r.port.write("SNU?\r");
        QVERIFY(r.port.waitForInput(200));
        QCOMPARE(r.port.readAll(), QByteArray("SNU=TAV0001\r")); // nothing left from before

        // Drop after two commands: the second answer is still read, then the port is gone.
        r.port.setDropAfter(2);
        r.port.write("SNU?\r");
        QVERIFY(r.port.waitForInput(200));
        r.port.readAll();
        r.port.write("VER?\r");
        QVERIFY(r.port.waitForInput(200));
        QCOMPARE(r.port.readAll(), QByteArray("VER=V1.20\r"));
        QVERIFY(!r.port.write("SNU?\r"));
        QVERIFY(!r.port.isOpen());
        QVERIFY(r.port.isUnplugged());
        QCOMPARE(r.port.receivedLines().size(), 4);
    }

    void openFailuresAndDeviceName() {
        BoardModel board;
        tav::test::ManualClock clock;
        InProcessPort port(board, clock);
        QString error;
        port.setOpenError(QStringLiteral("Permission denied"));
        QVERIFY(!port.open(QStringLiteral("COM1"), {}, &error));
        QCOMPARE(error, QStringLiteral("Permission denied"));
        port.setOpenError({});
        port.setDeviceName(QStringLiteral("COM3"));
        QVERIFY(!port.open(QStringLiteral("COM1"), {}, &error));
        QVERIFY(port.open(QStringLiteral("COM3"), {}, &error));
        QCOMPARE(port.openCount(), 1);
        QCOMPARE(port.openedName(), QStringLiteral("COM3"));
        QVERIFY(!port.open(QStringLiteral("COM3"), {}, &error)); // already open
    }

    void badInputDoesNotStopTheBoard() {
        Rig r;
        // An overlong line is dropped whole; the next command is answered.
        r.port.write(QByteArray(40000, 'A'));
        r.port.write("\rSNU?\r");
        QVERIFY(r.port.waitForInput(10));
        QCOMPARE(r.port.readAll(), QByteArray("SNU=TAV0001\r"));
        // Binary bytes get the unknown-command answer.
        r.port.write(QByteArray("\x00\x01\xfe\xff", 4) + '\r');
        QVERIFY(r.port.waitForInput(10));
        QVERIFY(r.port.readAll().contains('/'));
        // clearInput drops what has arrived.
        r.port.write("SNU?\r");
        r.port.clearInput();
        QCOMPARE(r.port.bytesAvailable(), 0);
    }

    void boardTimeFollowsTheClock() {
        BoardModel board;
        board.setNoiseEnabled(false);
        tav::test::ManualClock clock;
        InProcessPort port(board, clock);
        port.open(QStringLiteral("COM1"), {}, nullptr);
        port.write("ASS=1\r");
        clock.advance(5000); // ramp over
        port.readAll();
        port.write("LDC?\r");
        QVERIFY(port.waitForInput(10));
        QCOMPARE(port.readAll(), QByteArray("LDC=+1500\r"));
    }
};

QTEST_GUILESS_MAIN(TestSimInProcess)
#include "test_sim_inprocess.moc"
