#include "core/link/Catalogue.h"
#include "core/settings/Defaults.h"
#include "model/BoardModel.h"
#include "model/InProcessPort.h"
#include "support/Columns.h"
#include "support/ManualClock.h"

#include <QtTest>

using tav::sim::BoardModel;

namespace {

// A quiet board (no noise, no current ramp) driven by a script of steps separated by "; ":
//   "CMD"              sent, answer not checked
//   "CMD > ANSWER"     exact answer
//   "CMD > -"          refused: an answer without "!"
//   "CMD > /"          the unknown-command answer
//   "@restart"         the board restarts (the input power and unavailable values are set
//                      through the console: test_sim_pty)
struct ScriptedBoard : BoardModel {
    ScriptedBoard() {
        setNoiseEnabled(false);
        setRampEnabled(false);
    }
    void run(const QString& script) {
        for (const QString& step : script.split(QStringLiteral("; "))) {
            if (step == QStringLiteral("@restart")) {
                restart();
                continue;
            }
            const QStringList parts = step.split(QStringLiteral(" > "));
            const QByteArray answer = handleLine(parts[0].toLatin1());
            if (parts.size() < 2) continue;
            const QString want = parts[1];
            const QString where = step + " gave " + QString::fromLatin1(answer);
            if (want == "-")
                QVERIFY2(!answer.contains('!') && !answer.isEmpty(), qPrintable(where));
            else if (want == "/")
                QVERIFY2(answer.contains('/'), qPrintable(where));
            else
                QVERIFY2(answer == want.toLatin1(), qPrintable(where));
            if (QTest::currentTestFailed()) return;
        }
    }
};

} // namespace

class TestSimBoard : public QObject {
    Q_OBJECT

private slots:
    void scripts_data() {
        QTest::addColumn<QString>("script");
        QTest::newRow("reads in board units")
            << "SNU? > SNU=TAV0001; VER? > VER=V1.20; IPW? > IPW=-30; PON? > PON=+20; "
               "STS? > STS=OFF; ASS? > ASS=0; ALA? > ALA=00000001; WAR? > WAR=00000000; "
               "snu?\n > SNU=TAV0001";
        QTest::newRow("unknown and malformed")
            << "XYZ? > /; SNUX? > /; SNU > /; SNU?X > /; VER=2 > /; AI1=5 > /";
        QTest::newRow("user writes and ranges")
            << "SOP=150 > SOP!; SOP? > SOP=+150; IPT=-95 > IPT!; IPT? > IPT=-95; WAR=0 > WAR!; "
               "SOP=206 > -; SOP=-1 > -; SOP=abc > -; SOP= > -; SDC=3001 > -; ASS=5 > -; "
               "WAR=1 > -; OPM=206 > -; SOP? > SOP=+150; SOP=122.5 > SOP!; SOP? > SOP=+122";
        QTest::newRow("protected writes")
            << "PON=22 > PON#; SNU=TAV0042 > SNU#; WKP=1 > WKP#; PWD=quilta > -; "
               "PWD=QUILTA > PWD!; PON=22 > PON!; SNU=TAV0042 > SNU!; SNU? > SNU=TAV0042; "
               "TC1=31 > -; TCL=60 > -; SNU=TWO WORDS > -; IM2=3500 > IM2!; SDC=3400 > SDC!; "
               "IM2=2000 > IM2!; SDC? > SDC=+2000; PWD=WRONG > -; PON=21 > PON#";
        QTest::newRow("eeprom and factory recall")
            << "PWD=QUILTA; SNU=TAV0777; PON=23; SOP=200; WKP=1 > WKP!; SOP=100; @restart; "
               "PON=21 > PON#; SNU? > SNU=TAV0777; SOP? > SOP=+200; RVP > RVP!; "
               "SNU? > SNU=TAV0001; PON? > PON=+20; @restart; PON? > PON=+23";
        // A bad record (checksum) is acknowledged without "!" and UPL=2 refuses the image; a clean
        // one restarts on UPL=3 with the next version; no record or no end-of-file record: refused.
        const QString rec = ":10010000214601360121470136007EFE09D2190140 > !; ", eof = ":00000001FF > !; ";
        QTest::newRow("download")
            << "UPL=1 > UPL!; " + rec + ":100110002146017E17C20001FF5F16002148011929 > -; :0 > -; " +
                   eof + "UPL=2 > -; UPL=3 > -; VER? > VER=V1.20; UPL=1 > UPL!; " + rec +
                   ":100110002146017E17C20001FF5F16002148011928 > !; " + eof +
                   "UPL=2 > UPL!; UPL=3 > UPL!; VER? > VER=V1.21; UPL? > UPL=0; UPL=1; UPL=2 > -; "
                   "UPL=1; " + rec + "UPL=2 > -; UPL=3 > -";
    }
    void scripts() {
        ScriptedBoard b;
        b.run(tav::test::fetch<QString>("script"));
    }

    // Every command of the program's catalogues is understood, and every write takes back the
    // value it reads.
    void catalogueIsUnderstood() {
        ScriptedBoard b;
        for (const QString& entry : tav::defaultReadSyn()) {
            const QByteArray m = tav::entryMnemonic(entry).toLatin1();
            const QByteArray a = b.handleLine(m + '?');
            QVERIFY2(a.startsWith(m + '=') && !a.contains('/'), a.constData());
        }
        b.handleLine("PWD=QUILTA");
        for (const QString& entry : tav::defaultWriteSyn()) {
            const QByteArray m = tav::entryMnemonic(entry).toLatin1();
            QByteArray value = b.handleLine(m + '?').mid(4);
            if (value.startsWith('+')) value.remove(0, 1);
            QCOMPARE(b.handleLine(m + '=' + value), m + '!');
        }
        QCOMPARE(b.handleLine(""), QByteArray());
        QCOMPARE(b.handleLine(QByteArray(BoardModel::kMaxLine + 1, 'A')), QByteArray());
    }

    // The in-process port answers on the manual clock: waiting moves the clock by the whole wait,
    // or up to the arrival only.
    void inProcessAnswerArrivesAfterTheDelayOnTheClock() {
        ScriptedBoard b;
        tav::test::ManualClock clock;
        tav::sim::InProcessPort port{b, clock};
        QVERIFY(port.open(QStringLiteral("COM1"), {}, nullptr));
        port.setAnswerDelay(30);
        const qint64 t0 = clock.now();
        QVERIFY(port.write("SNU"));
        QVERIFY(port.write("?\r"));
        QVERIFY(!port.waitForInput(10));
        QCOMPARE(clock.now(), t0 + 10);
        QVERIFY(port.waitForInput(100));
        QCOMPARE(clock.now(), t0 + 30);
        QCOMPARE(port.readAll(), QByteArray("SNU=TAV0001\r"));
        QCOMPARE(port.receivedLines(), QList<QByteArray>{"SNU?"});

        // Two commands in one write: two answers in order.
        port.setAnswerDelay(0);
        QVERIFY(port.write("ASS=2\rSTS?\r"));
        QVERIFY(port.waitForInput(200));
        QCOMPARE(port.readAll(), QByteArray("ASS!\rSTS=ON\r"));
    }
};

QTEST_GUILESS_MAIN(TestSimBoard)
#include "test_sim_board.moc"
