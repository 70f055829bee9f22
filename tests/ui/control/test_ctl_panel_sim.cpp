#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/QtSerialPort.h"
#include "core/poll/Poll.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"
#include "core/translation/DefaultTexts.h"
#include "support/Pty.h"
#include "support/ScriptedPrompts.h"
#include "ui/control/FrmMenuPilotage.h"
#include "ui/support/Tabs.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace tav;
using namespace tav::test;

// The control panel over the real serial stack against tavoem-sim on a pseudo-terminal,
// polled by the real timer.
class TestCtlPanelSim : public QObject {
    Q_OBJECT
private slots:
    void liveReadingsStartAndStop() {
        SimProcess sim;
        QVERIFY2(sim.start({QStringLiteral("--no-noise")}), qPrintable(sim.errorOutput()));
        QTemporaryDir dir;
        EcrireParametresDefaut(dir.path());
        QtSerialPort port;
        SystemClock clock;
        ScriptedPrompts prompts;
        AppState s(dir.path(), port, clock, prompts);
        EcrireTextesDefaut(s.langueIni());
        EcrireIni(s.langueIni(), "ValueSupervision", "Langue", "En");
        EcrireIni(s.generalIni(), "RS232", "PORT", sim.devicePath());
        EcrireIni(s.generalIni(), "RS232", "TempsPause2", "20"); // short pacing keeps it quick
        Poll poll(s);
        s.Timer = &poll;
        s.TempsTimeout = 3000; // a loaded machine may answer late; a silent board never does
        s.TempsRafraichissement = 250;
        s.FenetreActive = FrmMenuPilotage::kCode;

        FrmMenuPilotage w(s);
        w.show();
        QCOMPARE(w.LabelSNU->text(), QStringLiteral("TAV0001"));

        // The timer's ticks bring the full read, then the live values.
        QTRY_VERIFY_WITH_TIMEOUT(!w.ReadLabel[4]->text().isEmpty(), 30000);
        QCOMPARE(w.ReadLabel[3]->text(), QStringLiteral("-3"));
        QCOMPARE(w.Txt[1]->text(), QStringLiteral("1.50"));

        // Start in ACC: the board runs, the panel shows it, the readings follow.
        w.OngletPilotage->setCurrentIndex(1);
        w.BoutonStart_Click();
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.messageTexts().join('|')));
        QTRY_COMPARE_WITH_TIMEOUT(w.LabelStatus[0]->text(), QStringLiteral("ON"), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(leadingNumber(w.ReadLabel[0]->text()) > 0.1, 30000);
        QVERIFY(sim.command("status").contains("mode 1 ON"));

        w.BoutonStop_Click();
        QVERIFY(prompts.shown.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(w.LabelStatus[0]->text(), QStringLiteral("OFF"), 30000);

        w.close();
        QVERIFY(!port.isOpen() && !poll.isEnabled());
    }
};

QTEST_MAIN(TestCtlPanelSim)
#include "test_ctl_panel_sim.moc"
