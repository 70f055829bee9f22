// The exchange against the simulated board in process, on the manual clock.
#include "core/link/Exchange.h"
#include "support/BoardRig.h"

#include <QTest>

using namespace tav;

class TestExchangeSim : public QObject {
    Q_OBJECT
private slots:
    void conversationWithTheBoard();
    void boardSlowerThanTheTimeOut();
};

void TestExchangeSim::conversationWithTheBoard() {
    test::BoardRig r;
    r.s.TempsTimeout = 250;
    r.s.NbRepetitions = 3;
    r.port.setAnswerDelay(3);
    QCOMPARE(EnvoyerCommande(r.s, "SNU?"), QString("TAV0001"));
    QCOMPARE(r.port.openedSettings().toString(), QString("19200,N,8,1"));
    // Two silent attempts, then the answer.
    r.port.setFault(sim::InProcessPort::Fault::NoAnswer, 2);
    QCOMPARE(EnvoyerCommande(r.s, "SNU?"), QString("TAV0001"));
    QCOMPARE(r.port.receivedLines().size(), 4);
    // The adapter goes away right after one more answer: that answer still counts, then the
    // next exchange reports the opening error once; re-plugged, all is well.
    r.port.setDropAfter(1);
    QCOMPARE(EnvoyerCommande(r.s, "SNU?"), QString("TAV0001"));
    QVERIFY(!r.port.isOpen());
    QCOMPARE(EnvoyerCommande(r.s, "SNU?"), QString());
    QCOMPARE(r.prompts.shown.size(), 1);
    r.port.replug();
    QCOMPARE(EnvoyerCommande(r.s, "SNU?"), QString("TAV0001"));
}

// Answers 300 ms late with a 250 ms time-out: each answer comes during the next attempt or the
// next command. A command's value is its own or nothing; the others' are discarded and logged.
void TestExchangeSim::boardSlowerThanTheTimeOut() {
    test::BoardRig r;
    r.board.setNoiseEnabled(false);
    r.s.TempsTimeout = 250;
    r.s.NbRepetitions = 1;
    r.s.FluxActif = true;
    r.s.ReponseBrute = true;
    QVERIFY(EcrireIni(r.s.generalIni(), "RS232", "TempsPause2", "2"));
    r.port.setAnswerDelay(300);
    int answered = 0;
    for (int round = 0; round < 2; ++round) {
        for (const QString c : {"CAT?", "SOP?", "PON?", "IM2?", "SDC?", "OPT?"}) {
            const QString a = EnvoyerCommande(r.s, c);
            answered += a.isEmpty() ? 0 : 1;
            QVERIFY2(a.isEmpty() || a.startsWith(c.left(3) + u'='), qPrintable(c + " got " + a));
        }
    }
    QVERIFY(answered >= 6);
    int discarded = 0;
    for (const auto& l : r.s.flow.lines(FlowLog::Answers))
        discarded += l.text.startsWith("DISCARDED ") ? 1 : 0;
    QVERIFY(discarded > 0);
}

QTEST_GUILESS_MAIN(TestExchangeSim)
#include "test_exchange_sim.moc"
