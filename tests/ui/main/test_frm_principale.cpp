#include "ProgramRig.h"

#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "support/BoardRig.h"
#include "ui/Columns.h"

#include <QAction>

using namespace tav;
using namespace tav::test;

class TestFrmPrincipale : public QObject {
    Q_OBJECT
private slots:
    // Link settings: the defaults written at the first start, else what an existing language
    // file stores, else 200 ms, 50 ms and three repeats. A language file without texts gives
    // empty captions; design captions never come back.
    void startUp_data() {
        columns<QByteArray, int, int, int, QString>(
            {"stored", "timeout", "refresh", "repeats", "quit"});
        QTest::newRow("empty folder") << QByteArray() << 250 << 250 << 3 << "Exit";
        QTest::newRow("missing") << QByteArray("") << 200 << 50 << 3 << "";
        QTest::newRow("stored") << QByteArray("TxtTimeoutValue=400\r\nTxtRefreshValue=1200\r\n"
                                              "TxtRepeatCycle=0\r\n")
                                << 400 << 1200 << 0 << "";
        // Out of range: held at the limit, not wrapped.
        QTest::newRow("damaged") << QByteArray("TxtTimeoutValue=abc\r\nTxtRepeatCycle=70000\r\n")
                                 << 0 << 50 << 32767 << "";
    }
    void startUp() {
        QFETCH(QByteArray, stored);
        ProgramRig f;
        if (!stored.isNull())
            f.put("langue.ini", "[ValueSupervision]\r\n" + stored + "[FrmPrincipaleEn]\r\nquitter");
        FrmPrincipale& w = f.start();
        QCOMPARE(w.windowTitle(), QStringLiteral("TAV OEM V %1.%2%3")
                                      .arg(TAV_VERSION_MAJOR)
                                      .arg(TAV_VERSION_MINOR)
                                      .arg(TAV_VERSION_PATCH));
        QVERIFY(QFile::exists(f.s.generalIni()));
        QCOMPARE(LireIni(f.s.langueIni(), "ValueSupervision", "Langue"), "En");
        QTEST(int(f.s.TempsTimeout), "timeout");
        QTEST(f.s.TempsRafraichissement, "refresh");
        QTEST(int(f.s.NbRepetitions), "repeats");
        QTEST(w.entry("Quitter")->text(), "quit");
        QVERIFY(!w.entry("Imprimer")->isEnabled());
        QVERIFY(!f.s.FluxActif && f.prompts.shown.isEmpty());
        // Nothing talks to the board at start-up.
        QVERIFY(f.port.openCount == 0 && !w.Timer.isEnabled());
    }

    void optionsOpenTheLinkWindows() {
        ProgramRig f;
        EcrireIni(f.s.langueIni(), "ValueSupervision", "CheckOptions", "3");
        FrmPrincipale& w = f.start();
        QVERIFY(f.s.FluxActif);
        QVERIFY(w.fluxWindow && w.fluxWindow->isVisible());
        QVERIFY(w.manualCommandWindow && w.manualCommandWindow->isVisible());
        // Closing the main window unloads the manual-command window, which closes the port.
        QVERIFY(f.port.isOpen());
        w.close();
        QVERIFY(!f.port.isOpen());
    }

    void variants() {
        ProgramRig f;
        const QStringList customer = f.start().visibleEntries();
        QCOMPARE(customer.size(), 17);
        QVERIFY(customer.contains("SuperviserData") && !customer.contains("Supervision"));
        // Marker scrambled from the password in lower case.
        EcrireIni(f.s.fichIni(), "PWD", "CLIENT", BrouillerTexte(QStringLiteral("quilta")));
        FrmPrincipale& w = f.start();
        QCOMPARE(w.visibleEntries().size(), 32);
        for (const char* e :
             {"Supervision", "Configuration", "cryptfile", "Passerlesoftenmodeclient"})
            QVERIFY2(w.visibleEntries().contains(e), e);
        w.Passerlesoftenmodeclient_Click();
        QVERIFY(!QFile::exists(f.s.fichIni()));
        QStringList afterSwitch = customer;
        afterSwitch.removeAll("SuperviserData");
        QCOMPARE(w.visibleEntries(), afterSwitch);
        QCOMPARE(f.start().visibleEntries(), customer); // next start: SuperviserData again

        // A new language file resets the variant.
        QVERIFY(EcrireMarqueurUsine(f.s.programDir));
        QFile::remove(f.s.langueIni());
        QCOMPARE(f.start().visibleEntries(), customer);
        QVERIFY(!QFile::exists(f.s.fichIni()));
    }

    void reloadFactoryParameters() {
        ProgramRig f;
        FrmPrincipale& w = f.start();
        f.prompts.yesNoAnswers = {false};
        w.ReloadVantrelParameters_Click();
        QVERIFY(f.port.lines.isEmpty());
        QCOMPARE(f.prompts.shown.last().icon, PromptIcon::Critical);
        f.prompts.clear();
        f.prompts.yesNoAnswers = {true, true};
        f.port.answer("RVP!\r");
        w.ReloadVantrelParameters_Click();
        QCOMPARE(f.port.lines, QList<QByteArray>({"RVP\r"}));
        QVERIFY(f.prompts.messageTexts().isEmpty());
        f.port.answer("RVP#\r");
        w.ReloadVantrelParameters_Click();
        QCOMPARE(f.prompts.messageTexts(), QStringList({"Reload TAV Parameters failed."}));
    }

    void controlPanelRunsThePoll() {
        BoardRig rig;
        FrmPrincipale w(rig.s);
        w.Form_Load();
        w.ChoixAsservissement_Click();
        QVERIFY(w.controlPanelWindow);
        QCOMPARE(rig.s.FenetreActive, qint16(5));
        QCOMPARE(w.Timer.period(), 250);
        QVERIFY(rig.port.receivedLines().contains("SNU?"));
        QVERIFY(rig.prompts.shown.isEmpty());
        w.controlPanelWindow->close();
        QTRY_VERIFY(!w.controlPanelWindow);
        QVERIFY(!w.Timer.isEnabled() && !rig.port.isOpen());
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
    }
};

QTEST_MAIN(TestFrmPrincipale)
#include "test_frm_principale.moc"
