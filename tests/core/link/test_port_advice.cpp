// Why a serial port that exists cannot be opened: held by another program, or forbidden.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/Exchange.h"
#include "core/link/PortAdvice.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <sys/stat.h>

using namespace tav;

namespace {

// A pseudo-terminal whose slave side is the device under test.
struct Pty {
    int master = -1, slave = -1;
    QString device;
    Pty() {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) qFatal("openpty failed");
        device = QString::fromLocal8Bit(name);
    }
    ~Pty() {
        ::close(slave);
        ::close(master);
    }
};

} // namespace

class TestPortAdvice : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        test::columns<bool, QString, bool, bool, QString, QString>(
            {"accessible", "group", "inGroup", "session", "says", "never"});
        QTest::newRow("held") << true << "dialout" << false << false
                              << "in use by another program (process 42: tavoemctl record)"
                              << "usermod";
        QTest::newRow("not a member") << false << "dialout" << false << false
                                      << "sudo usermod -aG dialout $USER" << "in use";
        QTest::newRow("member, older session")
            << false << "dialout" << true << false << "log out and log in again" << "usermod";
        QTest::newRow("member already") << false << "dialout" << true << true << "administrator"
                                        << "usermod";
        QTest::newRow("root's group") << false << "root" << false << false << "administrator"
                                      << "usermod";
    }
    void text() {
        PortRefusal r;
        r.device = QStringLiteral("/dev/ttyS0");
        r.accessible = test::fetch<bool>("accessible");
        r.holderPid = 42;
        r.holderCommand = QStringLiteral("tavoemctl record");
        r.group = test::fetch<QString>("group");
        r.inGroup = test::fetch<bool>("inGroup");
        r.sessionInGroup = test::fetch<bool>("session");
        const QString text = portRefusalText(r);
        QVERIFY2(text.contains(test::fetch<QString>("says")), qPrintable(text));
        QVERIFY2(!text.contains(test::fetch<QString>("never")), qPrintable(text));
        QVERIFY(!text.endsWith(u'.')); // the callers end the sentence
    }

    // Another process holds the port: the window's message names it, with no group advice.
    void heldByAnotherProcess() {
        Pty pty;
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            QtSerialPort port;
            QString error;
            const char c = port.open(pty.device, {}, &error) ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            ::pause();
            _exit(0);
        }
        char c = 0;
        QVERIFY(::read(ready[0], &c, 1) == 1 && c == 'y');

        QTemporaryDir dir;
        QtSerialPort port;
        test::ManualClock clock;
        test::ScriptedPrompts prompts;
        AppState s(dir.path(), port, clock, prompts);
        EcrireParametresDefaut(dir.path());
        s.portOverride = pty.device;
        s.baudOverride = 19200;
        const bool opened = OuvrirPort(s);
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY(!opened);
        const QString shown = prompts.messageTexts().value(0);
        QVERIFY2(shown.contains(QStringLiteral("in use by another program (process %1: ")
                                    .arg(holder)) &&
                     !shown.contains("usermod") && !shown.contains("Permission error"),
                 qPrintable(shown));
    }

    // A user without rights to the device is told so, never that it is busy.
    void forbidden() {
        Pty pty;
        QVERIFY(::chmod(pty.device.toLocal8Bit().constData(), 0) == 0);
        const int result = test::inChild(test::withoutPrivileges, [&] {
            QtSerialPort port;
            QString error;
            if (port.open(pty.device, {}, &error)) return 1;
            fprintf(stderr, "%s\n", qPrintable(error));
            return error.contains("may not read and write " + pty.device) &&
                           !error.contains("in use") && !error.contains("-aG root")
                       ? 0
                       : 2;
        });
        QCOMPARE(result, 0);
    }
};

QTEST_GUILESS_MAIN(TestPortAdvice)
#include "test_port_advice.moc"
