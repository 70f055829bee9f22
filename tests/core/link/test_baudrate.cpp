// Baud-rate detection against the in-process board on the manual clock.
#include "core/link/BaudRate.h"
#include "core/link/SerialPort.h"
#include "support/BoardRig.h"
#include "support/Columns.h"

#include <QtTest>

using namespace tav;

namespace {

struct Bench : test::BoardRig {
    QStringList captions;

    Bench(qint32 boardBaud, const QString& storedBaud, bool garbage = false) {
        EcrireIni(s.generalIni(), QStringLiteral("RS232"), QStringLiteral("BAUD"), storedBaud);
        port.setBoardBaud(boardBaud, garbage);
        prompts.messagesAreUnexpected = true;
    }
    QString baud() const {
        return LireIni(s.generalIni(), QStringLiteral("RS232"), QStringLiteral("BAUD"));
    }
    QString run(QString* error = nullptr) {
        return DetecterVitesse(
            s, [&](const QString& c) { captions << c; }, error);
    }
};

} // namespace

class TestBaudRate : public QObject {
    Q_OBJECT
private slots:
    void detection_data() {
        test::columns<int, bool, QString, QString, QString, int>(
            {"board", "garbage", "stored", "found", "baudAfter", "trials"});
        QTest::newRow("at the stored rate") << 9600 << false << "9600" << "9600" << "9600" << 1;
        QTest::newRow("scan") << 38400 << false << "9600" << "38400" << "38400" << 6;
        QTest::newRow("garbage is no answer") << 38400 << true << "9600" << "38400" << "38400" << 6;
        QTest::newRow("never found") << 2400 << true << "19200" << "" << "115200" << 7;
        QTest::newRow("bad stored rate") << 0 << false << "fast" << "19200" << "19200" << 1;
    }
    void detection() {
        QFETCH(QString, found);
        Bench b(test::fetch<int>("board"), test::fetch<QString>("stored"), test::fetch<bool>("garbage"));
        b.s.portFailureShown = QStringLiteral("COM1\nPermission denied"); // may be shown again
        QString error = QStringLiteral("stale");
        QCOMPARE(b.run(&error), found);
        QVERIFY(error.isEmpty());
        QTEST(b.baud(), "baudAfter"); // restoring BAUD after a failure is the menu entry's job
        QTEST(b.port.openCount(), "trials");
        QVERIFY(!b.port.isOpen());
        const QStringList scan{"Scan for 19200 vtl", "Scan for 4800 vtl",  "Scan for 9600 vtl",
                               "Scan for 19200 vtl", "Scan for 38400 vtl", "Scan for 115200 vtl"};
        QCOMPARE(b.captions, scan.mid(0, b.captions.size()));
        if (!found.isEmpty()) QVERIFY(b.s.portFailureShown.isEmpty());
        for (const QByteArray& line : b.port.receivedLines())
            QCOMPARE(line, QByteArray("SNU?"));
    }

    // What waits in the input when the port opens is emptied, quietly, before the probe.
    void inputEmptiedBeforeTheProbe() {
        Bench b(38400, QStringLiteral("9600"));
        b.s.FluxActif = true;
        b.port.setBytesAtOpen("SNU=TAV0001\r\xa5\xe1");
        QCOMPARE(b.run(), QStringLiteral("38400"));
        QCOMPARE(b.port.unreadAtLines().size(), b.port.receivedLines().size());
        for (const QByteArray& unread : b.port.unreadAtLines())
            QVERIFY2(unread.isEmpty(), unread.constData());
        for (const auto& line : b.s.flow.lines(FlowLog::Answers))
            QVERIFY2(!line.text.startsWith("DISCARDED"), qPrintable(line.text));
    }

    void rawAnswerJudged() {
        for (const char* own : {"SNU=TAV0001", "SNU!", "SNU#", "ERR/UNKNOWN"})
            QVERIFY2(isBoardAnswer(QString::fromLatin1(own)), own);
        for (const char* noise : {"", "TAV0001", "\xa5=\xe1", "SN\x01=1", "x=\x7f"})
            QVERIFY2(!isBoardAnswer(QString::fromLatin1(noise)), noise);
    }

    void portFailuresReportedOnce() {
        // A device that cannot open ends the scan at once; the caller shows one message.
        Bench b(0, QStringLiteral("19200"));
        EcrireIni(b.s.generalIni(), QStringLiteral("RS232"), QStringLiteral("PORT"),
                  QStringLiteral("COM3"));
        b.port.setDeviceName(QStringLiteral("/dev/ttyUSB0"));
        QString error;
        QCOMPARE(b.run(&error), QString());
        QVERIFY2(error.contains(QStringLiteral("\"COM3\" (") + deviceForPortName("COM3") + ")"),
                 qPrintable(error));
        QVERIFY(error.contains(QStringLiteral("No such file or directory")));
        QVERIFY(b.captions.isEmpty());

        // Settings the scan does not touch: every trial fails, reported once.
        Bench c(0, QStringLiteral("9600"));
        EcrireIni(c.s.generalIni(), QStringLiteral("RS232"), QStringLiteral("DATA"),
                  QStringLiteral("9"));
        QCOMPARE(c.run(&error), QString());
        QVERIFY2(error.contains(QStringLiteral("115200,N,9,1")), qPrintable(error));
        QCOMPARE(c.captions.size(), 6);
        QCOMPARE(c.port.openCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBaudRate)
#include "test_baudrate.moc"
