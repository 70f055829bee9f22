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
#include "ui/control/Lamp.h"
#include "ui/support/Tabs.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
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
        EcrireIni(s.generalIni(), "RS232", "TempsPause2",
                  "20"); // short pacing keeps the test quick
        Poll poll(s);
        s.Timer = &poll;
        s.TempsTimeout = 250;
        s.TempsRafraichissement = 250;
        s.FenetreActive = FrmMenuPilotage::kCode;

        FrmMenuPilotage w(s);
        w.show();
        QVERIFY(!w.linkFailed());
        QCOMPARE(w.LabelSNU->text(), QStringLiteral("TAV0001"));
        QVERIFY(poll.isEnabled());

        // The timer's ticks bring the full read, then the live values.
        QTRY_VERIFY_WITH_TIMEOUT(!w.ReadLabel[4]->text().isEmpty(), 20000);
        QCOMPARE(w.ReadLabel[3]->text(), QStringLiteral("-3"));
        QCOMPARE(w.Voyant->color(), FrmMenuPilotage::kLightGreen);
        QCOMPARE(w.LabelStatus[0]->text(), QStringLiteral("OFF"));
        QCOMPARE(w.Txt[1]->text(), QStringLiteral("1.50"));

        // Start in ACC: the board runs, the panel shows it, the readings follow.
        w.OngletPilotage->setCurrentIndex(1);
        w.BoutonStart_Click();
        QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.messageTexts().join('|')));
        QVERIFY(!w.BoutonStop->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(w.LabelStatus[0]->text(), QStringLiteral("ON"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(leadingNumber(w.ReadLabel[0]->text()) > 0.1, 20000);
        QVERIFY(sim.command("status").contains("mode 1 ON"));

        w.BoutonStop_Click();
        QVERIFY(prompts.shown.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(w.LabelStatus[0]->text(), QStringLiteral("OFF"), 10000);

        w.close();
        QVERIFY(!port.isOpen());
        QVERIFY(!poll.isEnabled());
        QCOMPARE(s.FenetreActive, AppState::kNoWindow);
    }
};

QTEST_MAIN(TestCtlPanelSim)
#include "test_ctl_panel_sim.moc"
