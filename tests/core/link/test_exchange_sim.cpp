// The exchange against the simulated board in process, on the manual clock.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"
#include "model/BoardModel.h"
#include "model/InProcessPort.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tav;

class TestExchangeSim : public QObject {
    Q_OBJECT
private slots:
    void conversationWithTheBoard();
};

void TestExchangeSim::conversationWithTheBoard() {
    QTemporaryDir dir;
    test::ManualClock clock;
    sim::BoardModel board;
    sim::InProcessPort port(board, clock);
    test::ScriptedPrompts prompts;
    AppState s(dir.path(), port, clock, prompts);
    s.processEvents = [] {};
    s.TempsTimeout = 250;
    s.NbRepetitions = 3;
    s.FluxActif = true;
    for (const auto& [key, value] : {std::pair{"PORT", "COM2"}, {"BAUD", "19200"},
                                     {"PARITE", "NONE"}, {"DATA", "8"}, {"STOP", "1"},
                                     {"TempsPause2", "2"}})
        QVERIFY(EcrireIni(s.generalIni(), "RS232", key, value));
    port.setAnswerDelay(3);

    QCOMPARE(EnvoyerCommande(s, "SNU?"), QString("TAV0001"));
    QCOMPARE(port.openedSettings().toString(), QString("19200,N,8,1"));
    QCOMPARE(port.receivedLines(), QList<QByteArray>{"SNU?"});
    s.ReponseBrute = true;
    QVERIFY(EnvoyerCommande(s, "IPW?").startsWith("IPW="));
    QVERIFY(EnvoyerCommande(s, "XYZ?").contains('/'));
    s.ReponseBrute = false;

    // Two silent attempts, then the answer; only the first sending is logged.
    s.flow.clear();
    port.clearHistory();
    port.setFault(sim::InProcessPort::Fault::NoAnswer, 2);
    QCOMPARE(EnvoyerCommande(s, "SNU?"), QString("TAV0001"));
    QCOMPARE(port.receivedLines().size(), 3);
    QCOMPARE(s.flow.lines(FlowLog::Sent).size(), 1);
    QStringList answers;
    for (const auto& l : s.flow.lines(FlowLog::Answers))
        answers << l.text;
    QCOMPARE(answers, (QStringList{"TIMEOUT", "TIMEOUT", "SNU=TAV0001\r"}));

    // An answer in two bursts 30 ms apart ends after the first; the rest is read next.
    port.setSplitAnswer(30, 5);
    QCOMPARE(EnvoyerCommande(s, "SNU?"), QString("T"));
    QCOMPARE(LireReponse(s), QString("AV0001"));
    port.setSplitAnswer(0);

    // The adapter goes away right after one more answer: that answer still counts, the port is
    // closed, and the next exchange reports the opening error once; re-plugged, all is well.
    port.setDropAfter(1);
    QCOMPARE(EnvoyerCommande(s, "SNU?"), QString("TAV0001"));
    QVERIFY(!port.isOpen());
    const qint64 t0 = clock.now();
    QCOMPARE(EnvoyerCommande(s, "SNU?"), QString());
    QCOMPARE(clock.now(), t0);
    QCOMPARE(prompts.shown.size(), 1);
    port.replug();
    QCOMPARE(EnvoyerCommande(s, "SNU?"), QString("TAV0001"));
}

QTEST_GUILESS_MAIN(TestExchangeSim)
#include "test_exchange_sim.moc"
