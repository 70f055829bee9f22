// Baud-rate detection through the real serial stack against tavoem-sim on a pseudo-terminal
// (the simulator answers only when the client's rate is its own). The order of the trials and the
// emptying of the input before each probe are checked on the manual clock in test_baudrate.
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"
#include "ui/link/DetectionPanel.h"
#include "ui/link/LinkMenu.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tav;

class TestLinkBaudRatePty : public QObject {
    Q_OBJECT
private slots:
    void detection_data() {
        QTest::addColumn<int>("board");
        QTest::addColumn<QString>("message");
        QTest::newRow("garbage at other rates, then 38400")
            << 38400 << "Automatic Baud Rate Detection successed (Value : 38400).";
        QTest::newRow("2400 never found") << 2400 << "Automatic Baud Rate Detection failed.";
    }
    void detection() {
        QFETCH(int, board);
        QFETCH(QString, message);
        QTemporaryDir dir;
        SystemClock clock;
        test::ScriptedPrompts prompts;
        QtSerialPort port;
        AppState s{dir.path(), port, clock, prompts};
        test::SimProcess sim;
        QVERIFY2(sim.start({"--no-noise", "--baud", QString::number(board), "--wrong-baud", "garbage"}),
                 qPrintable(sim.errorOutput()));
        EcrireParametresDefaut(dir.path());
        EcrireIni(s.generalIni(), "RS232", "PORT", sim.devicePath());
        EcrireIni(s.generalIni(), "RS232", "BAUD", "9600");
        s.TempsTimeout = 150; // short trials: one attempt each
        s.NbRepetitions = 0;
        QWidget main;
        main.resize(480, 320);
        DetectionPanel panel(&main);

        const QString found = board == 38400 ? QStringLiteral("38400") : QString();
        QCOMPARE(ExecuterDetectionVitesse(s, panel), found);
        QCOMPARE(prompts.messageTexts(), QStringList{message});
        QCOMPARE(prompts.shown[0].icon, found.isEmpty() ? PromptIcon::Critical : PromptIcon::Information);
        QCOMPARE(prompts.shown[0].title, QStringLiteral("Baud Rate Detection"));
        QCOMPARE(LireIni(s.generalIni(), "RS232", "BAUD"), found.isEmpty() ? "9600" : found);
        QVERIFY(!port.isOpen());
        QVERIFY(panel.isHidden());
    }
};

QTEST_MAIN(TestLinkBaudRatePty)
#include "test_link_baudrate_pty.moc"
