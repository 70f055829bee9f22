// The command exchange against a scripted port on the manual clock.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/link/SerialPort.h"
#include "core/poll/Poll.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/Columns.h"
#include "support/ManualClock.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;
using tav::test::ScriptedPort;
using Bursts = ScriptedPort::Answer;

Q_DECLARE_METATYPE(ScriptedPort::Answer)

namespace {

struct Rig {
    QTemporaryDir dir;
    test::ManualClock clock;
    ScriptedPort port{clock};
    test::ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};
    int events = 0;

    Rig() {
        s.processEvents = [this] { ++events; };
        s.TempsTimeout = 250;
        s.NbRepetitions = 0;
        EcrireParametresDefaut(dir.path()); // COM1, 19200,N,8,1, TempsPause 500
    }
    void rs232(const QString& key, const QString& value) {
        QVERIFY(EcrireIni(s.generalIni(), QStringLiteral("RS232"), key, value));
    }
    QStringList flow(FlowLog::List list) const {
        QStringList r;
        for (const auto& l : s.flow.lines(list))
            r << l.text;
        return r;
    }
};

} // namespace

class TestExchange : public QObject {
    Q_OBJECT
private slots:
    void lineSettingsAndPortNames() {
        bool ok = false;
        QCOMPARE(LineSettings::parse(" 115200, o ,7, 1.5", &ok).toString(), "115200,O,7,1.5");
        QVERIFY(ok);
        for (const char* bad :
             {"", "19200,N,8", "19200,X,8,1", "0,N,8,1", "19200,N,9,1", "19200,N,8,3"}) {
            LineSettings::parse(QString::fromLatin1(bad), &ok);
            QVERIFY2(!ok, bad);
        }
#ifndef Q_OS_WIN
        QCOMPARE(deviceForPortName("com12"), QString("/dev/ttyS11"));
#endif
        QCOMPARE(deviceForPortName(".demo/board"), QDir::current().absoluteFilePath(".demo/board"));
        for (const char* path : {"/dev/ttyUSB0", "COM0", "COMx", "COM1 ", "ttyUSB0"})
            QCOMPARE(deviceForPortName(path), QString(path));
    }

    void openingAndItsFailures() {
        Rig r;
        r.rs232("PORT", "/dev/ttyUSB3");
        r.rs232("PARITE", "even");
        QVERIFY(OuvrirPort(r.s));
        QCOMPARE(r.port.openedName, QString("/dev/ttyUSB3"));
        QCOMPARE(r.port.openedSettings.toString(), QString("19200,E,8,1"));
        r.rs232("BAUD", "115200");
        QVERIFY(OuvrirPort(r.s)); // already open: nothing read or opened again
        QCOMPARE(r.port.openCount, 1);
        QVERIFY(FermerPort(r.s) && !r.port.isOpen() && FermerPort(r.s));

        // The platform's text, critical icon, the serial-link caption in the current language.
        r.port.openError = "Permission denied";
        r.s.LangueCourante = "Fr";
        QVERIFY(EcrireIni(r.s.langueIni(), "frmConfigRS232Fr", "titre", "Liaison série"));
        r.s.NbRepetitions = 3;
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString()); // asks once and gives up
        QCOMPARE(r.prompts.shown.size(), 1);
        QVERIFY(r.prompts.shown[0].text.startsWith(
            "The serial port \"/dev/ttyUSB3\" cannot be opened: Permission denied.\nCheck"));
        QCOMPARE(r.prompts.shown[0].title, QString("Liaison série"));
        QCOMPARE(r.prompts.shown[0].icon, PromptIcon::Critical);
        QVERIFY(r.port.writes.isEmpty());
    }

    void answerValue_data() {
        test::columns<QByteArray, QString>({"answer", "value"});
        QTest::newRow("minus") << QByteArray("IPW=-3.1\r") << "-3.1";
        QTest::newRow("plus after text") << QByteArray("SNU=AB+12\r") << "12";
        QTest::newRow("raw") << QByteArray("SNU=AB+12\r") << "SNU=AB+12";
        QTest::newRow("second equals kept") << QByteArray("K=a=b\r") << "a=b";
        // The baud scan judges unreadable answers itself: kept as received.
        QTest::newRow("unreadable kept") << QByteArray("OPW=\x8f\x7f" "1\r") << "\u008f\u007f1";
    }

    void answerValue() {
        QFETCH(QByteArray, answer);
        Rig r;
        r.s.ReponseBrute = QTest::currentDataTag() == QByteArray("raw");
        if (answer.contains('\x8f')) r.s.unprintableAnswers = AppState::Unprintable::Keep;
        r.port.answer(answer);
        QTEST(EnvoyerCommande(r.s, QString::fromLatin1(answer.left(3)) + u'?'), "value");
        QCOMPARE(r.port.written(), answer.left(3) + "?\r");
    }

    void repeats() {
        Rig r;
        r.s.FluxActif = true;
        r.s.NbRepetitions = 3;
        const qint64 t0 = r.clock.now();
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(r.port.lines.size(), 4);
        QCOMPARE(r.clock.now() - t0, 4 * (100 + 250));
        QCOMPARE(r.flow(FlowLog::Sent), QStringList{"VER?\r"}); // only the first sending
        QCOMPARE(r.flow(FlowLog::Answers), QStringList(4, "TIMEOUT"));
        // The four lines are owed answers; a new opening (the baud scan's next rate) owes none.
        QVERIFY(r.s.lineBook.owes() && FermerPort(r.s) && OuvrirPort(r.s) && !r.s.lineBook.owes());

        // Silence, then an empty line (no answer either), then the value.
        r.port.silence();
        r.port.answer("\r");
        r.port.answer("VER=2\r");
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("2"));
        QCOMPARE(r.port.lines.size(), 4 + 3);
        // A negative repeat count still sends once.
        r.s.NbRepetitions = -2;
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(r.port.lines.size(), 4 + 3 + 1);
    }

    void pauses_data() {
        test::columns<QString, bool, QString, int>({"pause2", "longPause", "pause", "half"});
        QTest::newRow("absent") << QString() << false << "500" << 50;
        QTest::newRow("25 to even") << "25" << false << "500" << 12;
        QTest::newRow("decimal") << "30.6" << false << "500" << 16;
        QTest::newRow("long") << QString() << true << "500" << 250;
        QTest::newRow("long absent") << "40" << true << QString() << 0;
    }

    void pauses() {
        QFETCH(QString, pause2);
        QFETCH(QString, pause);
        QFETCH(int, half);
        Rig r;
        if (!pause2.isNull()) r.rs232("TempsPause2", pause2);
        r.rs232("TempsPause", pause.isNull() ? QString("") : pause);
        r.s.PauseLongue = test::fetch<bool>("longPause");
        QVERIFY(OuvrirPort(r.s));
        const qint64 t0 = r.clock.now();
        EcrireCommande(r.s, "SOP=150\r", 0);
        QCOMPARE(r.clock.sleeps, (QVector<int>{half, half}));
        QCOMPARE(r.port.writes.size(), 1);
        QCOMPARE(r.port.writes[0].time, t0 + half);
    }

    // Character by character, Windows-1252 byte for byte, the text as given.
    void characterByCharacter() {
        Rig r;
        r.rs232("TxtSleepTwoChars", "3");
        QVERIFY(EcrireIni(r.s.langueIni(), "ValueSupervision", "CheckChrByChr", "1"));
        QVERIFY(OuvrirPort(r.s));
        const qint64 t0 = r.clock.now();
        EcrireCommande(r.s, QString::fromUtf8("A\u00e9\u20ac\r"), 0);
        QCOMPARE(r.port.writes.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(r.port.writes[i].bytes, QByteArray(1, "A\xe9\x80\r"[i]));
            QCOMPARE(r.port.writes[i].time, t0 + 3 * i);
        }
        QCOMPARE(r.clock.sleeps, QVector<int>(4, 3)); // also after the last character
    }

    // When an answer is over: at its CR (what follows is the next line), or at the time-out counted
    // from its first character: taken then when it fell silent, else no answer.
    void answerEnd_data() {
        // endsAt: ms after the read began; next: the following read
        test::columns<Bursts, QString, int, QString>({"bursts", "answer", "endsAt", "next"});
        QTest::newRow("line feed first")
            << Bursts{{3, "\n"}, {4, "STS=1\r"}} << "STS=1" << 3 + 4 << QString();
        QTest::newRow("same burst stays")
            << Bursts{{3, "A=1\r\nB=2\r"}} << "A=1" << 3 << "B=2";
        QTest::newRow("no cr, silent") << Bursts{{3, "IPW="}, {9, "12.3"}} << "IPW=12.3" << 3 + 250
                                       << QString();
        QTest::newRow("long, in small bursts")
            << Bursts{{3, "ABC=" + QByteArray(40, 'x')}, {8, QByteArray(15, 'x') + '\r'}}
            << "ABC=" + QString(55, 'x') << 3 + 8 << QString();
        Bursts trickle;
        for (int i = 0; i < 60; ++i)
            trickle.push_back({5, "x"});
        QTest::newRow("still arriving after the time-out")
            << trickle << QString() << 5 + 250 << QString(9, 'x');
    }

    void answerEnd() {
        QFETCH(QString, answer);
        Rig r;
        r.rs232("TempsPause2", "2");
        r.s.FluxActif = true;
        r.port.answerBursts(test::fetch<Bursts>("bursts"));
        QVERIFY(OuvrirPort(r.s));
        EcrireCommande(r.s, "ABC?\r", 0);
        const qint64 t0 =
            r.clock.now() - 1; // the answer's delay counts from the line, before the pause
        QCOMPARE(LireReponse(r.s), answer);
        QCOMPARE(r.clock.now() - t0, qint64(test::fetch<int>("endsAt")));
        if (answer.isEmpty()) // logged with what had come: the characters up to +255
            QCOMPARE(r.flow(FlowLog::Answers), QStringList{"TIMEOUT " + QString(51, 'x')});
        QTEST(LireReponse(r.s), "next");
    }

    // What waits in the input before a command goes out, and answers to other commands, are never
    // taken for the command's answer: both are discarded and logged.
    void staleAndForeignAnswers_data() {
        test::columns<QByteArray, QString, Bursts, QString, QStringList>(
            {"waiting", "command", "bursts", "value", "logged"});
        QTest::newRow("tail of a late answer")
            << QByteArray("2.3\r") << "OPW?" << Bursts{{3, "OPW=1\r"}} << "1"
            << QStringList{"DISCARDED 2.3\r", "OPW=1\r"};
        QTest::newRow("other command's answer")
            << QByteArray() << "OPW?" << Bursts{{3, "CAT=+31\r"}, {100, "OPW=+12\r"}} << "12"
            << QStringList{"DISCARDED CAT=+31\r", "OPW=+12\r"};
        QTest::newRow("both in one burst")
            << QByteArray() << "OPW?" << Bursts{{3, "CAT=+31\r\nOPW=+12\r"}} << "12"
            << QStringList{"DISCARDED CAT=+31\r", "OPW=+12\r"};
        QTest::newRow("line ends waiting") << QByteArray("\r\n\n") << "OPW?"
                                           << Bursts{{3, "OPW=1\r"}} << "1" << QStringList{"OPW=1\r"};
        QTest::newRow("own refusal") << QByteArray() << "SOP=150" << Bursts{{3, "SOP#\r"}} << "SOP#"
                                     << QStringList{"SOP#\r"};
        QTest::newRow("only another's, time-out")
            << QByteArray() << "OPW?" << Bursts{{3, "CAT=+31\r"}} << ""
            << QStringList{"DISCARDED CAT=+31\r", "TIMEOUT"};
        QTest::newRow("unknown command") << QByteArray() << "OPW?" << Bursts{{3, "ERR/UNKNOWN\r"}}
                                         << "ERR/UNKNOWN" << QStringList{"ERR/UNKNOWN\r"};
        QTest::newRow("lone ! to a read")
            << QByteArray() << "OPW?" << Bursts{{3, "!\r"}} << ""
            << QStringList{"DISCARDED !\r", "TIMEOUT"};
        QTest::newRow("! to a write") << QByteArray() << "SOP=150" << Bursts{{3, "!\r"}} << "!"
                                      << QStringList{"!\r"};
        QTest::newRow("garbled, DEL, another's refusal and acknowledgement") << QByteArray() << "OPW?"
            << Bursts{{3, "OPW=\x8f" "1\r"}, {3, "OPW=\x7f" "1\r"}, {3, "SOP#\r"}, {3, "SOP!\r"}, {100, "OPW=2\r"}}
            << "2" << QStringList{"DISCARDED OPW=\u008f1\r", "DISCARDED OPW=\u007f" "1\r", "DISCARDED SOP#\r",
                                  "DISCARDED SOP!\r", "OPW=2\r"};
        QTest::newRow("typed in lower case") << QByteArray() << "opw?" << Bursts{{3, "OPW=3\r"}}
                                             << "3" << QStringList{"OPW=3\r"};
        QTest::newRow("overlong line") // discarded whole, up to its CR
            << QByteArray() << "OPW?" << Bursts{{3, QByteArray(1100, 'A')}, {2, "BB\r"}, {2, "OPW=1\r"}}
            << "1" << QStringList{"DISCARDED " + QString(LineBook::kMaxLine + 1, 'A'), "OPW=1\r"};
        QTest::newRow("command without mnemonic")
            << QByteArray() << ":1000" << Bursts{{3, "CAT=31\r"}} << "31"
            << QStringList{"CAT=31\r"};
    }

    void staleAndForeignAnswers() {
        QFETCH(QByteArray, waiting);
        Rig r;
        r.s.FluxActif = true;
        QVERIFY(OuvrirPort(r.s));
        if (!waiting.isEmpty()) r.port.arriveIn(0, waiting);
        r.port.answerBursts(test::fetch<Bursts>("bursts"));
        QTEST(EnvoyerCommande(r.s, test::fetch<QString>("command")), "value");
        QTEST(r.flow(FlowLog::Answers), "logged");
        QCOMPARE(r.port.lines.size(), 1);
    }

    // An answer after its line's horizon is discarded and said, never taken by a later command;
    // one timely for a later command's line is that command's (the board skipped the old line).
    void answerPastItsHorizon() {
        Rig r;
        r.s.FluxActif = true;
        r.s.TempsTimeout = 50;
        QList<qint64> late;
        r.s.lateAnswer = [&](qint64 ms) { late << ms; };
        r.port.answer("SOP!\r", 5000);
        r.port.answer("SOP!\r");
        QCOMPARE(EnvoyerCommande(r.s, "SOP=150"), QString());
        // Past the horizon (3 s), within two: remembered.
        r.clock.advance(r.port.writes.last().time + 5100 - r.clock.now());
        QCOMPARE(EnvoyerCommande(r.s, "SOP=151"), QString("SOP!"));
        QVERIFY(late.size() == 1 && late[0] >= 5000);
        QVERIFY(r.flow(FlowLog::Answers).contains("DISCARDED SOP!\r"));
        QCOMPARE(r.flow(FlowLog::Answers).filter("LATE ").size(), 1);
    }

    // In both sending modes: stale input is discarded and logged before the first line goes out,
    // and a line feed behind an answer's CR, arriving before the next command goes out (line mode)
    // or while it goes out character by character, is dropped unlogged. Only answers with a CR are
    // logged and let events run; an inactive flow window logs nothing.
    void flowLoggingInBothSendingModes_data() {
        test::columns<QString, bool>({"baud", "byChar"});
        QTest::newRow("2400, 5 ms later") << "2400" << false;
        QTest::newRow("character by character") << "19200" << true;
    }

    void flowLoggingInBothSendingModes() {
        Rig r;
        r.s.FluxActif = true;
        r.rs232("BAUD", test::fetch<QString>("baud"));
        r.rs232("TxtSleepTwoChars", "3");
        if (test::fetch<bool>("byChar"))
            QVERIFY(EcrireIni(r.s.langueIni(), "ValueSupervision", "CheckChrByChr", "1"));
        QVERIFY(OuvrirPort(r.s));
        r.port.arriveIn(0, "2.3\r");
        r.port.answerBursts({{3, "IPW=+12.3\r"}, {5, "\n"}});
        r.port.answer("OPW=1\r");
        r.port.answer("IPW=4");
        QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("12.3"));
        QCOMPARE(EnvoyerCommande(r.s, "OPW?"), QString("1"));
        QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("4"));
        r.s.FluxActif = false;
        r.port.answer("IPW=5\r");
        QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("5"));
        QCOMPARE(r.flow(FlowLog::Answers),
                 (QStringList{"DISCARDED 2.3\r", "IPW=+12.3\r", "OPW=1\r"}));
        QCOMPARE(r.flow(FlowLog::Sent), (QStringList{"IPW?\r", "OPW?\r", "IPW?\r"}));
        QCOMPARE(r.events, 2);
    }

    void writerReaderAndFullList() {
        Rig r;
        QVERIFY(OuvrirPort(r.s));
        // The writer of a line never waits or discards: the factory download sends through it.
        r.port.arriveIn(0, "!\r");
        EcrireCommande(r.s, ":00\r", 0);
        QCOMPARE(r.port.bytesAvailable(), 2);
        // Emptying the input does not wait for what has not arrived.
        r.port.arriveIn(100, "IPW=1\r");
        const qint64 t0 = r.clock.now();
        ViderReception(r.s);
        QVERIFY(r.clock.now() == t0 && r.port.bytesAvailable() == 0);
        QCOMPARE(LireReponse(r.s), QString("IPW=1"));
        r.s.processEvents = [&] { r.clock.advance(1), r.port.arriveIn(0, "x"); }; // endless talk
        r.s.processEvents(), ViderReception(r.s);

        // A list that reaches 32766 lines is emptied.
        r.s.FluxActif = true;
        for (int i = 0; i < FlowLog::kMaxLines - 1; ++i)
            r.s.flow.append(FlowLog::Sent, "x");
        r.port.answer("A=1\r");
        EnvoyerCommande(r.s, "A?");
        QCOMPARE(r.flow(FlowLog::Sent).size(), 0);
    }

    void closedPortAndUnplug() {
        Rig r;
        r.rs232("TempsPause2", "2");
        const qint64 t0 = r.clock.now();
        QCOMPARE(LireReponse(r.s), QString()); // closed port: at once
        QCOMPARE(r.clock.now(), t0);

        // The device goes away after a whole line: that line is the answer. Then one opening error
        // while it is gone; awaiting the answer or mid-answer: the pty suite.
        QVERIFY(OuvrirPort(r.s));
        r.port.answer("VER=1.4\r", 3);
        r.port.unplugIn(1 + 3 + 1);
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("1.4"));
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(r.prompts.shown.size(), 1); // back again: the pty suite
    }

    // A poll tick running while an exchange lets events run gets stripped values and normal pacing,
    // and the outer caller still gets its raw answer.
    void nestedExchangesKeepTheirOwnFlags() {
        Rig r;
        r.s.FluxActif = true;
        r.port.answer("VER=V1.20\r");
        r.port.answer("IPW=+12.3\r");
        QString nested;
        QList<qint64> nestedPauses;
        r.s.processEvents = [&] {
            if (!nested.isEmpty()) return;
            nested = QStringLiteral("-");
            const int before = r.clock.sleeps.size();
            nested = EnvoyerCommande(r.s, QStringLiteral("IPW?"));
            nestedPauses = {r.clock.sleeps[before], r.clock.sleeps[before + 1]};
        };
        r.s.ReponseBrute = true;
        r.s.PauseLongue = true;
        QCOMPARE(EnvoyerCommande(r.s, QStringLiteral("VER?")), QStringLiteral("VER=V1.20"));
        QCOMPARE(nested, QStringLiteral("12.3"));
        QCOMPARE(nestedPauses, QList<qint64>({50, 50}));
        QVERIFY(r.s.ReponseBrute && r.s.PauseLongue);
    }

    void pollTicksReportAnOpeningFailureOnce() {
        Rig r;
        Poll poll(r.s);
        r.s.Timer = &poll;
        r.s.TempsRafraichissement = 250;
        r.s.FenetreActive = 5;
        poll.setRefresh(5, [&] { EnvoyerCommande(r.s, QStringLiteral("IPW?")); });
        poll.start();
        r.port.openError = "No such file or directory";
        poll.TraiterTop();
        poll.TraiterTop();
        QCOMPARE(r.prompts.shown.size(), 1);
        ++r.s.actionOperateur; // outside a tick an operator's new action still hears about it
        QVERIFY(!OuvrirPort(r.s));
        QCOMPARE(r.prompts.shown.size(), 2);
        // Once the port has opened, a new failure in a tick is reported again.
        r.port.openError.clear();
        QVERIFY(OuvrirPort(r.s));
        r.port.close();
        r.port.openError = "No such file or directory";
        poll.TraiterTop();
        QCOMPARE(r.prompts.shown.size(), 3);
        r.s.Timer = nullptr;
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
