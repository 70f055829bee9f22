// The in-process port keeps the manual clock's time; its scripted answers, faults and unplugging
// are exercised by the suites that run on it.
#include "model/InProcessPort.h"
#include "support/ManualClock.h"

#include <QtTest>

using tav::sim::BoardModel;
using tav::sim::InProcessPort;

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
};

QTEST_GUILESS_MAIN(TestSimInProcess)
#include "test_sim_inprocess.moc"
