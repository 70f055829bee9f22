#include "core/link/QtSerialPort.h"
#include "support/Pty.h"
#include "ui/Columns.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace tav::test;

namespace {

// A client on the program's own serial port. "Must arrive" waits are generous; "must not arrive"
// waits are short and only used where the simulator is silent or far slower.
struct Client {
    tav::QtSerialPort port;
    bool ok;
    Client(const QString& path, qint32 baud) {
        tav::LineSettings line;
        line.baud = baud;
        ok = port.open(path, line, nullptr);
    }
    QByteArray operator()(const QByteArray& cmd, int timeoutMs = 5000) {
        port.write(cmd + '\r');
        return read(timeoutMs);
    }
    // What arrives until a CR (or, with toCr false, everything) within the time-out.
    QByteArray read(int timeoutMs, bool toCr = true) {
        QByteArray data;
        for (QDeadlineTimer d(timeoutMs); !(toCr && data.contains('\r')) && !d.hasExpired();)
            if (port.waitForInput(int(qMax<qint64>(1, d.remainingTime())))) data += port.readAll();
        return data;
    }
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT

private slots:
    void dropAfterAndReplug() {
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyTAV");
        SimProcess sim;
        QVERIFY(sim.start({"--drop-after", "2", "--link", link}));
        QCOMPARE(QFile::symLinkTarget(link), sim.devicePath());
        const QString first = sim.devicePath();
        {
            Client c(link, 19200);
            QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
            QCOMPARE(c("VER?"), QByteArray("VER=V1.20\r")); // the last one is still answered
            QCOMPARE(sim.readLine(), QStringLiteral("unplugged"));
        }
        QVERIFY(!QFileInfo::exists(link));
        QVERIFY(!Client(first, 19200).ok);

        const QString second = sim.command("replug");
        QCOMPARE(QFile::symLinkTarget(link), second);
        Client c(link, 19200);
        QCOMPARE(c("ASS?"), QByteArray("ASS=0\r"));
        QCOMPARE(sim.command("unplug"), QStringLiteral("unplugged"));
        QVERIFY(sim.command("unplug").startsWith("error"));
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo::exists(link));
    }

    void operatorCommandsAndStateFile() {
        QTemporaryDir dir;
        const QString state = dir.filePath("eeprom.txt");
        {
            SimProcess sim;
            QVERIFY(sim.start({"--no-noise", "--xxx", "LDT,CAT", "--state", state}));
            Client c(sim.devicePath(), 19200);
            QCOMPARE(c("LDT?"), QByteArray("LDT=xxx\r"));
            QCOMPARE(sim.command("case 70"), QStringLiteral("ok"));
            QCOMPARE(sim.command("pin -20"), QStringLiteral("ok"));
            QCOMPARE(c("IPW?"), QByteArray("IPW=-200\r"));
            QVERIFY(sim.command("bogus").startsWith("error"));
            QCOMPARE(c("PWD=QUILTA"), QByteArray("PWD!\r"));
            QCOMPARE(c("SNU=TAV0815"), QByteArray("SNU!\r"));
            QCOMPARE(c("WKP=1"), QByteArray("WKP!\r"));
            // End of standard input only ends it when asked.
            sim.closeStdin();
            QVERIFY(!sim.process().waitForFinished(300));
            QVERIFY(sim.stop());
        }
        SimProcess sim;
        QVERIFY(sim.start({"--state", state, "--exit-on-eof"}));
        Client c(sim.devicePath(), 19200);
        QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0815\r"));
        sim.closeStdin();
        QVERIFY(sim.process().waitForFinished(10000));
        QCOMPARE(sim.process().exitCode(), 0);
    }

    void failureModesAndLog() {
        QTemporaryDir dir;
        const QString log = dir.filePath("sim.log");
        SimProcess split;
        QVERIFY(split.start({"--split-answer", "2500", "--log", log}));
        Client c(split.devicePath(), 19200);
        // The first part, read as soon as it comes (the rest follows 2.5 s later).
        QByteArray first = c("SNU?", 50);
        for (QDeadlineTimer d(10000); first.isEmpty() && !d.hasExpired();)
            first += c.read(20, false);
        QVERIFY(!first.isEmpty() && !first.contains('\r'));
        QCOMPARE(first + c.read(5000), QByteArray("SNU=TAV0001\r"));
        QVERIFY(split.stop());
        static const QRegularExpression rx(
            R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} RX SNU\?\n\S+ \S+ TX SNU=TAV0001\n)");
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(rx.match(QString::fromLatin1(text)).hasMatch(), text.constData());

        SimProcess silent;
        QVERIFY(silent.start({"--no-answer-rate", "100%"}));
        Client s(silent.devicePath(), 19200);
        QCOMPARE(s("SNU?", 300), QByteArray());

        // At 1200 baud twelve characters take 100 ms to leave: a lower bound, which load only
        // lengthens.
        SimProcess slow;
        QVERIFY(slow.start({"--realtime", "--baud", "1200"}));
        Client r(slow.devicePath(), 1200);
        QElapsedTimer t;
        t.start();
        QCOMPARE(r("SNU?"), QByteArray("SNU=TAV0001\r"));
        QVERIFY2(t.elapsed() >= 80, qPrintable(QString::number(t.elapsed())));

        SimProcess bad;
        QVERIFY(!bad.start({"--garbage-rate", "2"})); // bad options are refused
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_sim_pty.moc"
