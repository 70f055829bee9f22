#include "core/link/QtSerialPort.h"
#include "support/Files.h"
#include "support/Pty.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace tav::test;

namespace {

// A client on the program's own serial port.
struct Client {
    tav::QtSerialPort port;
    Client(const QString& path, qint32 baud) {
        tav::LineSettings line;
        line.baud = baud;
        port.open(path, line, nullptr); // a failed opening shows as missing answers
    }
    // Sends a command; what arrives until a CR, within a generous time-out.
    QByteArray operator()(const QByteArray& cmd) {
        port.write(cmd + '\r');
        QByteArray data;
        for (QDeadlineTimer d(5000); !data.contains('\r') && !d.hasExpired();)
            if (port.waitForInput(int(qMax<qint64>(1, d.remainingTime())))) data += port.readAll();
        return data;
    }
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT

private slots:
    // The link the demo uses follows the device across a pulled and re-plugged adapter.
    void linkAcrossUnplugAndReplug() {
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyTAV");
        SimProcess sim;
        QVERIFY(sim.start({"--link", link}));
        const pid_t pid = pid_t(sim.process().processId());
        QCOMPARE(::getpgid(pid), pid); // its own group: a signal meant for it reaches no one else
        QCOMPARE(QFile::symLinkTarget(link), sim.devicePath());
        QCOMPARE(sim.command("unplug"), QStringLiteral("unplugged"));
        QVERIFY(!QFileInfo::exists(link));
        const QString replugged = sim.command("replug");
        QCOMPARE(QFile::symLinkTarget(link), replugged);
        QCOMPARE(Client(link, 19200)("ASS?"), QByteArray("ASS=0\r"));
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
            QCOMPARE(sim.command("pin -20"), QStringLiteral("ok"));
            QCOMPARE(c("IPW?"), QByteArray("IPW=-200\r"));
            for (const QByteArray cmd : {"PWD=QUILTA", "SNU=TAV0815", "WKP=1"})
                QCOMPARE(c(cmd), cmd.left(3) + "!\r");
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

    void logPacingAndBadOptions() {
        QTemporaryDir dir;
        const QString log = dir.filePath("sim.log");
        SimProcess logged;
        QVERIFY(logged.start({"--log", log}));
        QCOMPARE(Client(logged.devicePath(), 19200)("SNU?"), QByteArray("SNU=TAV0001\r"));
        QVERIFY(logged.stop());
        static const QRegularExpression rx(
            R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} RX SNU\?\n\S+ \S+ TX SNU=TAV0001\n)");
        const QByteArray text = fileBytes(log);
        QVERIFY2(rx.match(QString::fromLatin1(text)).hasMatch(), text.constData());

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
