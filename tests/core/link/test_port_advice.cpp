// Why a serial port that exists cannot be opened: held by another program, or forbidden.
#include "core/link/Exchange.h"
#include "core/link/PortAdvice.h"
#include "core/link/QtSerialPort.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "support/Columns.h"

#include <QTest>

#include <pty.h>
#include <sys/stat.h>

using namespace tav;

namespace {

// A pseudo-terminal's slave side: the device under test (the master stays open).
QString ptyDevice() {
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) qFatal("openpty failed");
    return QString::fromLocal8Bit(name);
}

} // namespace

class TestPortAdvice : public QObject {
    Q_OBJECT
private slots:
    void text_data() {
        test::columns<bool, QString, bool, bool, QString, QString>(
            {"accessible", "group", "inGroup", "session", "says", "never"});
        QTest::newRow("held") << true << "dialout" << false << false
                              << "in use by another program (process 42: tavoemctl record)" << "group";
        QTest::newRow("not a member") << false << "dialout" << false << false
                                      << "sudo usermod -aG dialout $USER" << "in use";
        QTest::newRow("older session") << false << "dialout" << true << false << "log out" << "-aG";
        QTest::newRow("member") << false << "dialout" << true << true << "administrator" << "-aG";
        QTest::newRow("root") << false << "root" << false << false << "administrator" << "-aG";
    }
    void text() {
        using test::fetch;
        const PortRefusal r{"/dev/ttyS0",     fetch<bool>("accessible"), 42, "tavoemctl record",
                            fetch<QString>("group"), fetch<bool>("inGroup"), fetch<bool>("session")};
        const QString text = portRefusalText(r);
        QVERIFY2(text.contains(fetch<QString>("says")) && !text.contains(fetch<QString>("never")) &&
                     !text.endsWith(u'.'), // the callers end the sentence
                 qPrintable(text));
    }

    // A program holds the port (here this one, through a first opening): the window's message
    // says so and names it, with no group advice.
    void held() {
        const QString device = ptyDevice();
        QtSerialPort holder;
        QVERIFY(holder.open(device, {}, nullptr));
        QTemporaryDir dir;
        QtSerialPort port;
        test::ManualClock clock;
        test::ScriptedPrompts prompts;
        AppState s(dir.path(), port, clock, prompts);
        EcrireParametresDefaut(dir.path());
        s.portOverride = device;
        QVERIFY(!OuvrirPort(s));
        const QString shown = prompts.messageTexts().value(0);
        QVERIFY2(shown.contains(QStringLiteral("in use by another program (process %1: ")
                                    .arg(QCoreApplication::applicationPid())) &&
                     !shown.contains("Permission error") && !shown.contains("cable"),
                 qPrintable(shown));
    }

    // A user without rights to the device, or allowed to read it only, is told so with the group
    // advice that applies, never that it is busy.
    void forbidden() {
        for (const mode_t mode : {0000, 0444}) {
            const QString device = ptyDevice(), group = QFileInfo(device).group();
            QVERIFY(::chmod(device.toLocal8Bit().constData(), mode) == 0);
            const int result = test::inChild(test::withoutPrivileges, [&] {
                QtSerialPort port;
                QString error;
                if (port.open(device, {}, &error)) return 1;
                const bool told = error.contains("may not read and write " + device) &&
                                  error.contains(group == "root" ? "administrator" : "-aG " + group);
                return told && !error.contains("in use") && !error.contains("-aG root") ? 0 : 2;
            });
            QCOMPARE(result, 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestPortAdvice)
#include "test_port_advice.moc"
