#include "model/InProcessPort.h"
#include "support/ManualClock.h"
#include "ui/Columns.h"

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
        QVERIFY(port.open(QStringLiteral("COM1"), {}, nullptr));
    }
    // Sends a line and returns what arrives within 200 ms of the manual clock.
    QByteArray ask(const QByteArray& line) {
        port.write(line + '\r');
        return port.waitForInput(200) ? port.readAll() : QByteArray();
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
        QVERIFY(!r.port.waitForInput(10)); // not yet: the clock moved by the whole wait
        QCOMPARE(r.clock.now(), t0 + 10);
        QVERIFY(r.port.waitForInput(100)); // moved up to the arrival only
        QCOMPARE(r.clock.now(), t0 + 30);
        QCOMPARE(r.port.readAll(), QByteArray("SNU=TAV0001\r"));
        QCOMPARE(r.port.receivedLines(), QList<QByteArray>{"SNU?"});

        // Two commands in one write: two answers in order.
        r.port.setAnswerDelay(0);
        QCOMPARE(r.ask("ASS=2\rSTS?"), QByteArray("ASS!\rSTS=ON\r"));
    }

    void faults() {
        Rig r;
        r.port.setFault(Fault::NoAnswer, 2);
        QCOMPARE(r.ask("SNU?"), QByteArray());
        QCOMPARE(r.ask("SNU?"), QByteArray());
        QCOMPARE(r.ask("SNU?"), QByteArray("SNU=TAV0001\r")); // the fault is used up

        // A scripted answer replaces the board's; silence is an empty one.
        r.port.responder = [](const QByteArray& line) -> std::optional<QByteArray> {
            if (line == "VER?") return QByteArray("VER=TEST");
            if (line == "ALA?") return QByteArray();
            return std::nullopt;
        };
        QCOMPARE(r.ask("VER?\rALA?\rASS?"), QByteArray("VER=TEST\rASS=0\r"));
    }

    void unplugAndDrop() {
        Rig r;
        r.port.setAnswerDelay(20);
        r.port.write("SNU?\r");
        r.port.unplug();
        const qint64 t = r.clock.now();
        QVERIFY(!r.port.waitForInput(200)); // a closed port returns at once
        QCOMPARE(r.clock.now(), t);
        QVERIFY(!r.port.write("SNU?\r"));
        QString error;
        QVERIFY(!r.port.open(QStringLiteral("COM1"), {}, &error));
        QVERIFY(!error.isEmpty());
        r.port.replug();
        QVERIFY(r.port.open(QStringLiteral("COM1"), {}, &error));
        QCOMPARE(r.ask("SNU?"), QByteArray("SNU=TAV0001\r")); // nothing left from before
    }

    void badInputAndBoardTime() {
        Rig r;
        // An overlong line is dropped whole; binary bytes get the unknown-command answer.
        r.port.write(QByteArray(40000, 'A'));
        QCOMPARE(r.ask("\rSNU?"), QByteArray("SNU=TAV0001\r"));
        QVERIFY(r.ask(QByteArray("\x00\x01\xfe\xff", 4)).contains('/'));
        r.port.write("SNU?\r");
        r.port.clearInput();
        QCOMPARE(r.port.bytesAvailable(), 0);
        // The board's time follows the clock: the current ramp is over after five seconds.
        r.board.setRampEnabled(true);
        r.ask("ASS=1");
        r.clock.advance(5000);
        QCOMPARE(r.ask("LDC?"), QByteArray("LDC=+1500\r"));
    }
};

QTEST_GUILESS_MAIN(TestSimInProcess)
#include "test_sim_inprocess.moc"
