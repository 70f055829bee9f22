#include "support/Pty.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

using namespace tav::test;

namespace {

// A client file descriptor closed at scope end.
struct Client {
    int fd = -1;
    Client(const QString& path, qint32 baud) : fd(openRawDevice(path, baud)) {}
    ~Client() { closeDevice(fd); }
    QByteArray operator()(const QByteArray& cmd, int timeoutMs = 1000) {
        return exchangeRaw(fd, cmd, timeoutMs);
    }
};

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT

private slots:
    void answersAtTheMatchingRate() {
        SimProcess sim;
        QVERIFY2(sim.start({QStringLiteral("--no-noise")}), qPrintable(sim.errorOutput()));
        QVERIFY(QFileInfo(sim.devicePath()).exists());
        Client c(sim.devicePath(), 19200);
        QVERIFY(c.fd >= 0);
        QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
        QCOMPARE(c("IPW?"), QByteArray("IPW=-30\r"));
        QCOMPARE(c("PON=25"), QByteArray("PON#\r"));
        QCOMPARE(c("PWD=QUILTA"), QByteArray("PWD!\r"));
        QCOMPARE(c("PON=25"), QByteArray("PON!\r"));
        QVERIFY(c("FOO?").contains('/'));
    }

    void qtSerialPortTalksToIt() {
        SimProcess sim;
        // A rate without a termios constant: set and seen through the kernel's BOTHER rates.
        QVERIFY(sim.start({QStringLiteral("--baud"), QStringLiteral("14400")}));
        QSerialPort port;
        port.setPortName(sim.devicePath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        QVERIFY(port.setBaudRate(14400));
        port.write("VER?\r");
        QByteArray answer;
        QDeadlineTimer deadline(2000);
        while (!answer.contains('\r') && port.waitForReadyRead(int(deadline.remainingTime())))
            answer += port.readAll();
        QCOMPARE(answer, QByteArray("VER=V1.20\r"));
    }

    void silenceOrGarbageAtAnotherRate() {
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--baud"), QStringLiteral("9600")}));
        {
            Client c(sim.devicePath(), 19200);
            QCOMPARE(c("SNU?", 300), QByteArray());
        }
        {
            Client c(sim.devicePath(), 9600);
            QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
        }

        SimProcess noisy;
        QVERIFY(noisy.start({QStringLiteral("--wrong-baud"), QStringLiteral("garbage")}));
        Client c(noisy.devicePath(), 4800);
        QByteArray g = c("SNU?", 300);
        g += readFor(c.fd, 100);
        QVERIFY(!g.isEmpty());
        QVERIFY(!g.contains("SNU"));
    }

    void dropAfterAndReplug() {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("ttyTAV"));
        SimProcess sim;
        QVERIFY(sim.start(
            {QStringLiteral("--drop-after"), QStringLiteral("2"), QStringLiteral("--link"), link}));
        QCOMPARE(QFile::symLinkTarget(link), sim.devicePath());
        const QString first = sim.devicePath();
        {
            Client c(link, 19200);
            QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
            QCOMPARE(c("VER?"), QByteArray("VER=V1.20\r")); // the last one is still answered
            QCOMPARE(sim.readLine(), QStringLiteral("unplugged"));
            QCOMPARE(c("SNU?", 200), QByteArray());
        }
        QVERIFY(!QFileInfo::exists(link));
        QVERIFY(openRawDevice(link, 19200) < 0);
        QVERIFY(openRawDevice(first, 19200) < 0);

        const QString second = sim.command(QStringLiteral("replug"));
        QVERIFY(second.startsWith(QLatin1Char('/')));
        QCOMPARE(QFile::symLinkTarget(link), second);
        Client c(link, 19200);
        QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
        QCOMPARE(c("ASS?"), QByteArray("ASS=0\r"));

        QCOMPARE(sim.command(QStringLiteral("unplug")), QStringLiteral("unplugged"));
        QVERIFY(sim.command(QStringLiteral("unplug")).startsWith(QLatin1String("error")));
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo::exists(link));
    }

    void operatorCommandsOnStandardInput() {
        SimProcess sim;
        QVERIFY(sim.start(
            {QStringLiteral("--no-noise"), QStringLiteral("--xxx"), QStringLiteral("LDT,CAT")}));
        Client c(sim.devicePath(), 19200);
        QCOMPARE(c("LDT?"), QByteArray("LDT=xxx\r"));
        QCOMPARE(sim.command(QStringLiteral("avail CAT")), QStringLiteral("ok"));
        QCOMPARE(sim.command(QStringLiteral("case 70")), QStringLiteral("ok"));
        QCOMPARE(c("CAT?"), QByteArray("CAT=+70\r"));
        QCOMPARE(sim.command(QStringLiteral("pin -20")), QStringLiteral("ok"));
        QCOMPARE(c("IPW?"), QByteArray("IPW=-200\r"));
        QCOMPARE(c("ALA?"), QByteArray("ALA=00010101\r"));
        QVERIFY(sim.command(QStringLiteral("status")).contains(QLatin1String("pin -20.0")));
        QVERIFY(sim.command(QStringLiteral("bogus")).startsWith(QLatin1String("error")));
        QVERIFY(sim.command(QStringLiteral("help")).contains(QLatin1String("replug")));

        // End of standard input only ends it when asked.
        sim.closeStdin();
        QVERIFY(!sim.process().waitForFinished(300));
        SimProcess eof;
        QVERIFY(eof.start({QStringLiteral("--exit-on-eof")}));
        eof.closeStdin();
        QVERIFY(eof.process().waitForFinished(3000));
        QCOMPARE(eof.process().exitCode(), 0);
    }

    void stateFileKeepsTheEeprom() {
        QTemporaryDir dir;
        const QString state = dir.filePath(QStringLiteral("eeprom.txt"));
        {
            SimProcess sim;
            QVERIFY(sim.start({QStringLiteral("--state"), state}));
            Client c(sim.devicePath(), 19200);
            QCOMPARE(c("PWD=QUILTA"), QByteArray("PWD!\r"));
            QCOMPARE(c("SNU=TAV0815"), QByteArray("SNU!\r"));
            QCOMPARE(c("SOP=123"), QByteArray("SOP!\r"));
            QCOMPARE(c("WKP=1"), QByteArray("WKP!\r"));
            QCOMPARE(c("SOP=150"), QByteArray("SOP!\r")); // not saved
            QVERIFY(sim.stop());
        }
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--state"), state}));
        Client c(sim.devicePath(), 19200);
        QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0815\r"));
        QCOMPARE(c("SOP?"), QByteArray("SOP=+123\r"));
    }

    void failureModesAndLog() {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("sim.log"));
        SimProcess sim;
        QVERIFY(sim.start({QStringLiteral("--split-answer"), QStringLiteral("300"),
                           QStringLiteral("--log"), log}));
        Client c(sim.devicePath(), 19200);
        const QByteArray first = c("SNU?", 150);
        QVERIFY(!first.isEmpty() && !first.contains('\r'));
        QCOMPARE(first + readAnswer(c.fd, 1000), QByteArray("SNU=TAV0001\r"));

        SimProcess silent;
        QVERIFY(silent.start({QStringLiteral("--no-answer-rate"), QStringLiteral("100%")}));
        Client s(silent.devicePath(), 19200);
        QCOMPARE(s("SNU?", 300), QByteArray());

        SimProcess late;
        QVERIFY(late.start({QStringLiteral("--delay-ms"), QStringLiteral("300")}));
        Client l(late.devicePath(), 19200);
        QCOMPARE(l("SNU?", 100), QByteArray());
        QCOMPARE(readAnswer(l.fd, 1000), QByteArray("SNU=TAV0001\r"));

        QVERIFY(sim.stop());
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        static const QRegularExpression rx(QStringLiteral(
            R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} RX SNU\?\n\S+ \S+ TX SNU=TAV0001\n)"));
        QVERIFY2(rx.match(QString::fromLatin1(text)).hasMatch(), text.constData());

        // At 1200 baud, twelve characters take 100 ms to leave.
        SimProcess slow;
        QVERIFY(slow.start(
            {QStringLiteral("--realtime"), QStringLiteral("--baud"), QStringLiteral("1200")}));
        Client r(slow.devicePath(), 1200);
        const QByteArray part = r("SNU?", 40);
        QVERIFY(!part.contains('\r'));
        QCOMPARE(part + readAnswer(r.fd, 1000), QByteArray("SNU=TAV0001\r"));

        // Bad options are refused with a message.
        SimProcess bad;
        QVERIFY(!bad.start({QStringLiteral("--garbage-rate"), QStringLiteral("2")}));
    }

    void badInputNeverStopsTheService() {
        SimProcess sim;
        QVERIFY(sim.start(
            {QStringLiteral("--realtime"), QStringLiteral("--baud"), QStringLiteral("2400")}));
        {
            Client c(sim.devicePath(), 2400);
            // Overlong line, binary bytes, then a normal command.
            const QByteArray junk =
                QByteArray(40000, 'Z') + '\r' + QByteArray("\x00\x01\x02\xff\xfe", 5) + '\r';
            qint64 done = 0;
            while (done < junk.size()) {
                const ssize_t n =
                    ::write(c.fd, junk.constData() + done, size_t(junk.size() - done));
                if (n > 0)
                    done += n;
                else
                    QTest::qWait(1);
            }
            QVERIFY(readFor(c.fd, 300).contains('/')); // the binary line: unknown command
            QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
            // A flood, and the client leaves in the middle of the slow answers.
            QByteArray flood;
            for (int i = 0; i < 200; ++i)
                flood += "VER?\r";
            QVERIFY(::write(c.fd, flood.constData(), size_t(flood.size())) > 0);
            QTest::qWait(50);
        }
        QTest::qWait(100);
        // The next client starts clean.
        Client c(sim.devicePath(), 2400);
        QCOMPARE(c("SNU?"), QByteArray("SNU=TAV0001\r"));
        QVERIFY(sim.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_sim_pty.moc"
