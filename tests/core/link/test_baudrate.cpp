// Baud-rate detection against the in-process board on the manual clock.
#include "core/AppState.h"
#include "core/link/BaudRate.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "model/InProcessPort.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tav;

namespace {

struct Bench {
    QTemporaryDir dir;
    test::ManualClock clock;
    test::ScriptedPrompts prompts;
    sim::BoardModel board;
    sim::InProcessPort port{board, clock};
    AppState s{dir.path(), port, clock, prompts};
    QStringList captions;

    explicit Bench(qint32 boardBaud, const QString& storedBaud) {
        EcrireParametresDefaut(dir.path());
        EcrireIni(s.generalIni(), QStringLiteral("RS232"), QStringLiteral("BAUD"), storedBaud);
        port.setBoardBaud(boardBaud);
        prompts.messagesAreUnexpected = true;
        s.processEvents = nullptr;
    }
    QString baud() const {
        return LireIni(s.generalIni(), QStringLiteral("RS232"), QStringLiteral("BAUD"));
    }
    QString run(QString* error = nullptr) {
        return DetecterVitesse(s, [&](const QString& c) { captions << c; }, error);
    }
};

} // namespace

class TestBaudRate : public QObject {
    Q_OBJECT
private slots:
    void boardAtStoredRateIsReportedWithoutScan() {
        Bench b(9600, QStringLiteral("9600"));
        // A port failure reported by an earlier poll may be reported again once the port opened.
        b.s.portFailureShown = QStringLiteral("COM1\nPermission denied");
        QCOMPARE(b.run(), QStringLiteral("9600"));
        QVERIFY(b.s.portFailureShown.isEmpty());
        QVERIFY(b.captions.isEmpty());
        QCOMPARE(b.baud(), QStringLiteral("9600"));
        QCOMPARE(b.port.openCount(), 1);
        QVERIFY(!b.port.isOpen());
        QCOMPARE(b.port.receivedLines(), QList<QByteArray>{"SNU?"});
    }

    void scanFindsTheBoardAndKeepsItsRate() {
        Bench b(38400, QStringLiteral("9600"));
        QCOMPARE(b.run(), QStringLiteral("38400"));
        QCOMPARE(b.captions, (QStringList{"Scan for 19200 vtl", "Scan for 4800 vtl",
                                          "Scan for 9600 vtl", "Scan for 19200 vtl",
                                          "Scan for 38400 vtl"}));
        QCOMPARE(b.baud(), QStringLiteral("38400"));
        QCOMPARE(b.port.openCount(), 6); // the stored rate, then five trials
        QCOMPARE(b.port.openedSettings().baud, 38400);
        QVERIFY(!b.port.isOpen());
    }

    void boardNeverFoundLeavesLastRateTried() {
        Bench b(2400, QStringLiteral("19200"));
        QCOMPARE(b.run(), QString());
        QCOMPARE(b.captions.size(), 6);
        QCOMPARE(b.captions.last(), QStringLiteral("Scan for 115200 vtl"));
        // Restoring BAUD is the menu entry's job.
        QCOMPARE(b.baud(), QStringLiteral("115200"));
        QCOMPARE(b.port.openCount(), 7);
        QVERIFY(!b.port.isOpen());
        // Each trial sent "SNU?" with its repeats and nothing else.
        for (const QByteArray& line : b.port.receivedLines())
            QCOMPARE(line, QByteArray("SNU?"));
    }

    void portThatCannotOpenIsReportedOnceAndStopsTheScan() {
        Bench b(0, QStringLiteral("19200"));
        EcrireIni(b.s.generalIni(), QStringLiteral("RS232"), QStringLiteral("PORT"),
                  QStringLiteral("/dev/ttyUSB7"));
        b.port.setDeviceName(QStringLiteral("/dev/ttyUSB0"));
        QString error;
        QCOMPARE(b.run(&error), QString());
        QVERIFY(b.prompts.shown.isEmpty()); // no message per trial: the caller shows one
        QVERIFY2(error.contains(QStringLiteral("\"/dev/ttyUSB7\"")), qPrintable(error));
        QVERIFY(error.contains(QStringLiteral("No such file or directory")));
        QVERIFY(b.captions.isEmpty());
        QCOMPARE(b.baud(), QStringLiteral("19200"));

        // A COM name is reported with the device it stands for.
        EcrireIni(b.s.generalIni(), QStringLiteral("RS232"), QStringLiteral("PORT"),
                  QStringLiteral("COM3"));
        QCOMPARE(b.run(&error), QString());
        QVERIFY2(error.contains(QStringLiteral("\"COM3\" (") + deviceForPortName("COM3") + ")"),
                 qPrintable(error));
    }

    void invalidLineSettingsSilenceOnlyTheirTrial() {
        // A bad stored rate is replaced by the scan.
        Bench b(0, QStringLiteral("fast"));
        QString error = QStringLiteral("stale");
        QCOMPARE(b.run(&error), QStringLiteral("19200"));
        QVERIFY(error.isEmpty());
        QCOMPARE(b.port.openCount(), 1);

        // Settings the scan does not touch: every trial fails, reported once.
        Bench c(0, QStringLiteral("9600"));
        EcrireIni(c.s.generalIni(), QStringLiteral("RS232"), QStringLiteral("DATA"),
                  QStringLiteral("9"));
        QCOMPARE(c.run(&error), QString());
        QVERIFY2(error.contains(QStringLiteral("115200,N,9,1")), qPrintable(error));
        QCOMPARE(c.captions.size(), 6);
        QCOMPARE(c.port.openCount(), 0);
        QVERIFY(c.prompts.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBaudRate)
#include "test_baudrate.moc"
