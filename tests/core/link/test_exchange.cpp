// The command exchange against a scripted port on the manual clock.
#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/link/SerialPort.h"
#include "core/poll/Poll.h"
#include "core/settings/Ini.h"
#include "support/ManualClock.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tav;
using tav::test::ManualClock;
using tav::test::ScriptedPort;
using tav::test::ScriptedPrompts;

class TestExchange : public QObject {
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        ManualClock clock;
        ScriptedPort port{clock};
        ScriptedPrompts prompts;
        AppState s{dir.path(), port, clock, prompts};
        int events = 0;

        Rig() {
            s.processEvents = [this] { ++events; };
            s.TempsTimeout = 250;
            s.NbRepetitions = 0;
            IniBatch ini(s.generalIni());
            for (const auto& [key, value] :
                 {std::pair{"PORT", "COM1"}, {"BAUD", "19200"}, {"PARITE", "NONE"}, {"DATA", "8"},
                  {"STOP", "1"}, {"TxtSleepTwoChars", "1"}, {"TempsPause", "500"}})
                ini.write(QStringLiteral("RS232"), QString::fromLatin1(key),
                          QString::fromLatin1(value));
            QVERIFY(ini.commit());
        }
        void rs232(const QString& key, const QString& value) {
            QVERIFY(EcrireIni(s.generalIni(), QStringLiteral("RS232"), key, value));
        }
        void supervision(const QString& key, const QString& value) {
            QVERIFY(EcrireIni(s.langueIni(), QStringLiteral("ValueSupervision"), key, value));
        }
        QStringList flow(FlowLog::List list) const {
            QStringList r;
            for (const auto& l : s.flow.lines(list))
                r << l.text;
            return r;
        }
    };

private slots:
    void lineSettingsText_data();
    void lineSettingsText();
    void portNames();
    void openingReadsSettingsOnce();
    void openingFailureShowsPlatformError();
    void commandFraming();
    void answerValue_data();
    void answerValue();
    void repeats();
    void pauses_data();
    void pauses();
    void characterByCharacter();
    void longAnswers();
    void burstsAndSilence();
    void flowLogging();
    void closedPortAndUnplug();
    void emptyingTheInput();
    void nestedExchangesKeepTheirOwnFlags();
    void pollTicksReportAnOpeningFailureOnce();
};

void TestExchange::lineSettingsText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("normal");
    QTest::newRow("default") << "19200,N,8,1" << true << "19200,N,8,1";
    QTest::newRow("lower case, blanks") << " 9600, e ,7, 2" << true << "9600,E,7,2";
    QTest::newRow("one and a half") << "115200,O,5,1.5" << true << "115200,O,5,1.5";
    QTest::newRow("mark") << "4800,M,8,1" << true << "4800,M,8,1";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("missing field") << "19200,N,8" << false << "";
    QTest::newRow("empty parity") << "19200,,8,1" << false << "";
    QTest::newRow("bad parity") << "19200,X,8,1" << false << "";
    QTest::newRow("bad baud") << "fast,N,8,1" << false << "";
    QTest::newRow("zero baud") << "0,N,8,1" << false << "";
    QTest::newRow("nine bits") << "19200,N,9,1" << false << "";
    QTest::newRow("three stops") << "19200,N,8,3" << false << "";
}

void TestExchange::lineSettingsText() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, normal);
    bool parsed = !ok;
    const LineSettings l = LineSettings::parse(text, &parsed);
    QCOMPARE(parsed, ok);
    if (ok)
        QCOMPARE(l.toString(), normal);
}

void TestExchange::portNames() {
#ifdef Q_OS_WIN
    QCOMPARE(deviceForPortName("COM1"), QString("COM1"));
#else
    QCOMPARE(deviceForPortName("COM1"), QString("/dev/ttyS0"));
    QCOMPARE(deviceForPortName("COM12"), QString("/dev/ttyS11"));
    QCOMPARE(deviceForPortName("com3"), QString("/dev/ttyS2"));
#endif
    for (const char* path : {"/dev/ttyUSB0", "/tmp/link/tty", "COM", "COM0", "COMx", "COM1 "})
        QCOMPARE(deviceForPortName(path), QString(path));
}

void TestExchange::openingReadsSettingsOnce() {
    Rig r;
    r.rs232("PORT", "/dev/ttyUSB3");
    r.rs232("BAUD", "9600");
    r.rs232("PARITE", "even");
    r.rs232("DATA", "7");
    r.rs232("STOP", "2");
    QVERIFY(OuvrirPort(r.s));
    QCOMPARE(r.port.openedName, QString("/dev/ttyUSB3"));
    QCOMPARE(r.port.openedSettings.toString(), QString("9600,E,7,2"));
    // Already open: nothing is read or opened again.
    r.rs232("BAUD", "115200");
    QVERIFY(OuvrirPort(r.s));
    QCOMPARE(r.port.openCount, 1);
    QVERIFY(FermerPort(r.s));
    QVERIFY(!r.port.isOpen());
    QVERIFY(FermerPort(r.s));
    QVERIFY(r.prompts.shown.isEmpty());
}

void TestExchange::openingFailureShowsPlatformError() {
    Rig r;
    r.port.openError = "Permission denied";
    QVERIFY(!OuvrirPort(r.s));
    QCOMPARE(r.prompts.shown.size(), 1);
    QCOMPARE(r.prompts.shown[0].kind, QString("message"));
    QCOMPARE(r.prompts.shown[0].text, QString("Permission denied"));
    QCOMPARE(r.prompts.shown[0].title, QString("Serial Link"));
    QCOMPARE(r.prompts.shown[0].icon, PromptIcon::Critical);

    // The caption of the serial-link window in the current language.
    r.s.LangueCourante = "Fr";
    QVERIFY(EcrireIni(r.s.langueIni(), "frmConfigRS232Fr", "titre", "Liaison série"));
    QVERIFY(!OuvrirPort(r.s));
    QCOMPARE(r.prompts.shown.last().title, QString("Liaison série"));

    // An exchange on a port that cannot open sends nothing, asks once and gives up.
    r.prompts.clear();
    r.s.NbRepetitions = 3;
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
    QCOMPARE(r.prompts.shown.size(), 1);
    QVERIFY(r.port.writes.isEmpty());

    // Unusable settings are reported the same way.
    r.port.openError.clear();
    r.prompts.clear();
    r.rs232("DATA", "nine");
    QVERIFY(!OuvrirPort(r.s));
    QCOMPARE(r.prompts.shown.size(), 1);
    QVERIFY(r.prompts.shown[0].text.contains("nine"));
    QCOMPARE(r.port.openCount, 0);
}

void TestExchange::commandFraming() {
    Rig r;
    r.port.answer("VER=1.02\r");
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("1.02"));
    QCOMPARE(r.port.written(), QByteArray("VER?\r"));
    QCOMPARE(r.port.writes.size(), 1);
    QCOMPARE(r.port.openCount, 1); // the first exchange opened the port
    // The text goes out as given: a caller's own CR makes two.
    r.port.answer("X\r");
    r.port.answer("Y\r");
    EnvoyerCommande(r.s, "A\r");
    QCOMPARE(r.port.writes.last().bytes, QByteArray("A\r\r"));
    // Windows-1252 text is sent byte for byte.
    r.port.writes.clear();
    r.port.answers.clear();
    EcrireCommande(r.s, QString::fromUtf8("\u00e9\u20ac\r"), 1);
    QCOMPARE(r.port.written(), QByteArray("\xe9\x80\r"));
}

void TestExchange::answerValue_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("raw");
    QTest::addColumn<QString>("value");
    QTest::newRow("cr lf") << QByteArray("IPW=12.3\r\n") << false << "12.3";
    QTest::newRow("plus") << QByteArray("IPW=+12.3\r") << false << "12.3";
    QTest::newRow("minus") << QByteArray("IPW=-3.1\r") << false << "-3.1";
    QTest::newRow("plus after text") << QByteArray("SNU=AB+12\r") << false << "12";
    QTest::newRow("raw") << QByteArray("SNU=AB+12\r") << true << "SNU=AB+12";
    QTest::newRow("plus without equals") << QByteArray("A+B\r") << false << "B";
    QTest::newRow("second equals kept") << QByteArray("K=a=b\r") << false << "a=b";
    QTest::newRow("acknowledge") << QByteArray("SOP!\r") << false << "SOP!";
    QTest::newRow("rest of burst dropped") << QByteArray("IPW=1\rOPW=2\r") << false << "1";
    QTest::newRow("no cr") << QByteArray("IPW=7") << false << "7";
    QTest::newRow("no cr raw") << QByteArray("IPW=7") << true << "IPW=7";
}

void TestExchange::answerValue() {
    QFETCH(QByteArray, answer);
    QFETCH(bool, raw);
    QFETCH(QString, value);
    Rig r;
    r.s.ReponseBrute = raw;
    r.port.answer(answer);
    QCOMPARE(EnvoyerCommande(r.s, "IPW?"), value);
}

void TestExchange::repeats() {
    {
        Rig r;
        r.s.FluxActif = true;
        r.port.silence();
        r.port.answer("late\r"); // never asked for: one attempt only
        const qint64 t0 = r.clock.now();
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(r.port.lines.size(), 1);
        QCOMPARE(r.clock.now() - t0, 50 + 50 + 250);
        QCOMPARE(r.flow(FlowLog::Sent), QStringList{"VER?\r"});
        QCOMPARE(r.flow(FlowLog::Answers), QStringList{"TIMEOUT"});
    }
    {
        Rig r;
        r.s.FluxActif = true;
        r.s.NbRepetitions = 3;
        const qint64 t0 = r.clock.now();
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
        QCOMPARE(r.port.lines.size(), 4);
        QCOMPARE(r.clock.now() - t0, 4 * (100 + 250));
        QCOMPARE(r.flow(FlowLog::Sent), QStringList{"VER?\r"}); // only the first sending
        QCOMPARE(r.flow(FlowLog::Answers), QStringList(4, "TIMEOUT"));
    }
    {
        // Silence, then an empty line (no answer either), then the value.
        Rig r;
        r.s.NbRepetitions = 3;
        r.port.silence();
        r.port.answer("\rjunk\r");
        r.port.answer("VER=2\r");
        r.port.answer("never\r");
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("2"));
        QCOMPARE(r.port.lines.size(), 3);
    }
    {
        // A negative repeat count still sends once.
        Rig r;
        r.s.NbRepetitions = -2;
        r.port.answer("VER=3\r");
        QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("3"));
    }
}

void TestExchange::pauses_data() {
    QTest::addColumn<QString>("pause2");
    QTest::addColumn<bool>("longPause");
    QTest::addColumn<QString>("pause");
    QTest::addColumn<int>("half");
    QTest::newRow("absent") << QString() << false << "500" << 50;
    QTest::newRow("zero") << "0" << false << "500" << 50;
    QTest::newRow("2") << "2" << false << "500" << 1;
    QTest::newRow("25 to even") << "25" << false << "500" << 12;
    QTest::newRow("27 to even") << "27" << false << "500" << 14;
    QTest::newRow("decimal") << "30.6" << false << "500" << 16;
    QTest::newRow("long") << QString() << true << "500" << 250;
    QTest::newRow("long zero used as is") << "40" << true << "0" << 0;
    QTest::newRow("long absent") << "40" << true << QString() << 0;
}

void TestExchange::pauses() {
    QFETCH(QString, pause2);
    QFETCH(bool, longPause);
    QFETCH(QString, pause);
    QFETCH(int, half);
    Rig r;
    if (!pause2.isNull())
        r.rs232("TempsPause2", pause2);
    if (pause.isNull())
        QVERIFY(EcrireIni(r.s.generalIni(), "RS232", "TempsPause", ""));
    else
        r.rs232("TempsPause", pause);
    r.s.PauseLongue = longPause;
    QVERIFY(OuvrirPort(r.s));
    const qint64 t0 = r.clock.now();
    EcrireCommande(r.s, "SOP=150\r", 0);
    QCOMPARE(r.clock.sleeps, (QVector<int>{half, half}));
    QCOMPARE(r.port.writes.size(), 1);
    QCOMPARE(r.port.writes[0].time, t0 + half);
    QCOMPARE(r.clock.now(), t0 + 2 * half);
}

void TestExchange::characterByCharacter() {
    Rig r;
    r.rs232("TempsPause2", "40");
    r.rs232("TxtSleepTwoChars", "3");
    r.supervision("CheckChrByChr", "1");
    QVERIFY(OuvrirPort(r.s));
    const qint64 t0 = r.clock.now();
    EcrireCommande(r.s, "VER?\r", 0);
    QCOMPARE(r.port.writes.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(r.port.writes[i].bytes, QByteArray(1, "VER?\r"[i]));
        QCOMPARE(r.port.writes[i].time, t0 + 3 * i);
    }
    QCOMPARE(r.clock.sleeps, QVector<int>(5, 3)); // also after the last character

    // Any other value sends the line whole.
    r.supervision("CheckChrByChr", "yes");
    r.port.writes.clear();
    r.clock.sleeps.clear();
    EcrireCommande(r.s, "VER?\r", 0);
    QCOMPARE(r.port.writes.size(), 1);
    QCOMPARE(r.clock.sleeps, (QVector<int>{20, 20}));
}

void TestExchange::longAnswers() {
    const QByteArray sixty = "ABC=" + QByteArray(55, 'x') + '\r'; // 60 characters
    {
        // A 60-character answer at 19200 bit/s arrives in small bursts over about 31 ms: whole.
        Rig r;
        ScriptedPort::Answer bursts;
        for (int i = 0; i < 60; i += 6)
            bursts.push_back({i == 0 ? 5 : 3, sixty.mid(i, 6)});
        r.port.answerBursts(bursts);
        QVERIFY(OuvrirPort(r.s));
        r.port.writes.clear();
        EcrireCommande(r.s, "ABC?\r", 0);
        QCOMPARE(LireReponse(r.s), QString("ABC=" + QString(55, 'x')));
    }
    {
        // Still arriving 250 ms after its first character: no answer, logged with what came.
        Rig r;
        r.rs232("TempsPause2", "2");
        r.s.FluxActif = true;
        ScriptedPort::Answer bursts;
        for (int i = 0; i < 60; ++i)
            bursts.push_back({5, sixty.mid(i, 1)});
        r.port.answerBursts(bursts);
        QCOMPARE(EnvoyerCommande(r.s, "ABC?"), QString());
        const QStringList answers = r.flow(FlowLog::Answers);
        QCOMPARE(answers.size(), 1);
        QVERIFY(answers[0].startsWith("TIMEOUT ABC=xxx"));
        // Characters at +5, +10 ...: the one at +260, 255 ms after the first, is the last taken.
        QCOMPARE(answers[0].size(), QString("TIMEOUT ").size() + 52);
    }
}

void TestExchange::burstsAndSilence() {
    Rig r;
    r.rs232("TempsPause2", "2");
    // Bursts 9 ms apart make one answer; 30 ms apart the first burst is the answer and the
    // rest waits in the input for the next exchange, which takes it as its own answer.
    r.port.answerBursts({{4, "IPW="}, {9, "12.3\r"}});
    QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("12.3"));
    r.port.answerBursts({{4, "OPW=1"}, {30, "7.5\r"}});
    QCOMPARE(EnvoyerCommande(r.s, "OPW?"), QString("1"));
    r.port.silence();
    QCOMPARE(EnvoyerCommande(r.s, "LDC?"), QString("7.5"));

    // The answer ends 10 ms after its last character.
    r.port.answer("STS=1\r", 7);
    QVERIFY(OuvrirPort(r.s));
    EcrireCommande(r.s, "STS?\r", 0);
    const qint64 t0 = r.clock.now();
    QCOMPARE(LireReponse(r.s), QString("STS=1"));
    QCOMPARE(r.clock.now() - t0, 7 - 1 + 10);
}

void TestExchange::flowLogging() {
    Rig r;
    r.s.FluxActif = true;
    r.port.answer("IPW=12.3\r\n");
    QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("12.3"));
    QCOMPARE(r.flow(FlowLog::Sent), QStringList{"IPW?\r"});
    QCOMPARE(r.flow(FlowLog::Answers), QStringList{"IPW=12.3\r\n"});
    QCOMPARE(r.events, 1);

    // An answer without CR is not logged and lets no events run.
    r.port.answer("IPW=4");
    QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("4"));
    QCOMPARE(r.flow(FlowLog::Answers).size(), 1);
    QCOMPARE(r.events, 1);

    // Flow window inactive: nothing logged, no events.
    r.s.FluxActif = false;
    r.port.answer("IPW=5\r");
    QCOMPARE(EnvoyerCommande(r.s, "IPW?"), QString("5"));
    QCOMPARE(r.flow(FlowLog::Sent).size(), 2);
    QCOMPARE(r.flow(FlowLog::Answers).size(), 1);
    QCOMPARE(r.events, 1);

    // A list that reaches 32766 lines is emptied.
    r.s.FluxActif = true;
    r.s.flow.clear();
    for (int i = 0; i < FlowLog::kMaxLines - 2; ++i)
        r.s.flow.append(FlowLog::Sent, "x");
    r.port.answer("A=1\r");
    EnvoyerCommande(r.s, "A?");
    QCOMPARE(r.flow(FlowLog::Sent).size(), FlowLog::kMaxLines - 1);
    r.port.answer("A=1\r");
    EnvoyerCommande(r.s, "A?");
    QCOMPARE(r.flow(FlowLog::Sent).size(), 0);
    r.port.answer("A=1\r");
    EnvoyerCommande(r.s, "A?");
    QCOMPARE(r.flow(FlowLog::Sent), QStringList{"A?\r"});
    QCOMPARE(r.flow(FlowLog::Answers).size(), 3);
}

void TestExchange::closedPortAndUnplug() {
    Rig r;
    r.rs232("TempsPause2", "2");
    r.s.FluxActif = true;
    // Reading on a closed port returns at once.
    const qint64 t0 = r.clock.now();
    QCOMPARE(LireReponse(r.s), QString());
    QCOMPARE(r.clock.now(), t0);
    QCOMPARE(r.port.waitCalls, 0);

    // The device goes away while the answer is awaited: empty text at once, port closed,
    // no further attempts and no prompt.
    r.s.NbRepetitions = 3;
    r.port.answer("VER=1\r", 40);
    QVERIFY(OuvrirPort(r.s));
    r.port.unplugIn(1 + 20);
    const qint64 t1 = r.clock.now();
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
    QCOMPARE(r.clock.now() - t1, 21);
    QVERIFY(!r.port.isOpen());
    QCOMPARE(r.port.lines.size(), 1);
    QVERIFY(r.prompts.shown.isEmpty());
    QVERIFY(r.port.waitCalls < 10);

    // Mid-answer.
    r.port.plugBack();
    r.port.answerBursts({{5, "VER="}, {5, "1"}});
    r.port.unplugIn(1 + 7);
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
    QVERIFY(!r.port.isOpen());

    // Gone during the silence after a whole line: that line is the answer.
    r.port.plugBack();
    r.port.answer("VER=1.4\r", 3);
    r.port.unplugIn(1 + 3 + 5);
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("1.4"));
    QVERIFY(!r.port.isOpen());
    QVERIFY(r.prompts.shown.isEmpty());

    // Still gone: one opening error, nothing sent.
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString());
    QCOMPARE(r.prompts.shown.size(), 1);
    QCOMPARE(r.prompts.shown[0].icon, PromptIcon::Critical);

    // Back: the next exchange opens the port again.
    r.port.plugBack();
    r.port.answer("VER=1.5\r");
    const int opens = r.port.openCount;
    QCOMPARE(EnvoyerCommande(r.s, "VER?"), QString("1.5"));
    QCOMPARE(r.port.openCount, opens + 1);
}

void TestExchange::emptyingTheInput() {
    Rig r;
    ViderReception(r.s); // closed port: nothing to do
    QVERIFY(OuvrirPort(r.s));
    r.port.arriveIn(0, "stale");
    r.port.arriveIn(0, "more");
    r.port.arriveIn(100, "IPW=1\r");
    const qint64 t0 = r.clock.now();
    ViderReception(r.s);
    QCOMPARE(r.clock.now(), t0); // does not wait for what has not arrived
    QCOMPARE(r.port.bytesAvailable(), 0);
    QVERIFY(r.events >= 1);
    QCOMPARE(LireReponse(r.s), QString("IPW=1"));
}

// A poll tick running while an exchange lets events run gets stripped values and normal pacing,
// and the outer caller still gets its raw answer.
void TestExchange::nestedExchangesKeepTheirOwnFlags() {
    Rig r;
    r.s.FluxActif = true;
    r.port.answer("VER=V1.20\r");
    r.port.answer("IPW=+12.3\r");
    QString nested;
    QList<qint64> nestedPauses;
    r.s.processEvents = [&] {
        if (!nested.isEmpty())
            return;
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
    QVERIFY(r.s.ReponseBrute);
    QVERIFY(r.s.PauseLongue);
}

void TestExchange::pollTicksReportAnOpeningFailureOnce() {
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
    poll.TraiterTop();
    QCOMPARE(r.prompts.shown.size(), 1);
    // Outside a tick an operator's own action still hears about it.
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

QTEST_GUILESS_MAIN(TestExchange)
#include "test_exchange.moc"
