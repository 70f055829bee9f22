#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "support/BoardRig.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"
#include "ui/main/FrmPrincipale.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;
using namespace tav::test;

namespace {

// A main window on a fresh program directory, with a scripted board.
struct Fixture {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedPort port{clock};
    ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};
    std::unique_ptr<FrmPrincipale> window;

    FrmPrincipale& start() {
        window.reset();
        window = std::make_unique<FrmPrincipale>(s);
        window->Form_Load();
        return *window;
    }
    QString langue(const QString& key) { return LireIni(s.langueIni(), "ValueSupervision", key); }
    void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

} // namespace

class TestFrmPrincipale : public QObject {
    Q_OBJECT
private slots:
    void firstStartInEmptyFolder() {
        Fixture f;
        FrmPrincipale& w = f.start();
        QCOMPARE(w.windowTitle(), QStringLiteral("TAV OEM V %1.%2%3")
                                      .arg(TAV_VERSION_MAJOR)
                                      .arg(TAV_VERSION_MINOR)
                                      .arg(TAV_VERSION_PATCH));
        QVERIFY(QFile::exists(f.s.generalIni())); // the defaults, written at the first start
        QCOMPARE(f.langue("Langue"), QString("En"));
        QCOMPARE(f.s.TempsTimeout, qint16(250));
        QCOMPARE(f.s.TempsRafraichissement, 250);
        QCOMPARE(f.s.NbRepetitions, qint16(3));
        QVERIFY(!f.s.FluxActif);
        QCOMPARE(w.entry("Quitter")->text(), QString("Exit"));
        QVERIFY(!w.entry("Imprimer")->isEnabled());
        QVERIFY(f.prompts.shown.isEmpty());
        // Nothing talks to the board at start-up.
        QCOMPARE(f.port.openCount, 0);
        QVERIFY(!w.Timer.isEnabled());
    }

    // Link settings from an existing language file: what is stored, else 200 ms, 50 ms and
    // three repeats.
    void linkSettings_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("refresh");
        QTest::addColumn<int>("repeats");
        QTest::newRow("missing") << QByteArray() << 200 << 50 << 3;
        QTest::newRow("stored") << QByteArray("TxtTimeoutValue=400\r\nTxtRefreshValue=1200\r\n"
                                              "TxtRepeatCycle=0\r\n")
                                << 400 << 1200 << 0;
        // Out of range: held at the limit, not wrapped.
        QTest::newRow("damaged") << QByteArray("TxtTimeoutValue=abc\r\nTxtRepeatCycle=70000\r\n")
                                 << 0 << 50 << 32767;
    }
    void linkSettings() {
        QFETCH(QByteArray, stored);
        QFETCH(int, timeout);
        QFETCH(int, refresh);
        QFETCH(int, repeats);
        Fixture f;
        f.write(f.s.langueIni(),
                "[ValueSupervision]\r\n" + stored + "[FrmPrincipaleEn]\r\nquitter");
        FrmPrincipale& w = f.start();
        QCOMPARE(f.s.TempsTimeout, qint16(timeout));
        QCOMPARE(f.s.TempsRafraichissement, refresh);
        QCOMPARE(f.s.NbRepetitions, qint16(repeats));
        QCOMPARE(f.langue("Langue"), QString("En"));
        // A language file without texts gives empty captions; design captions never come back.
        QCOMPARE(w.entry("Quitter")->text(), QString());
        QVERIFY(f.prompts.shown.isEmpty());
    }

    void optionsOpenTheLinkWindows() {
        Fixture f;
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
        Fixture f;
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
        Fixture f;
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

    // A folder that cannot be created, even by root: one message, the defaults in use.
    void unwritableSettings() {
        Fixture g;
        g.write(g.dir.filePath("file"), "x");
        AppState s(g.dir.filePath("file/sub"), g.port, g.clock, g.prompts);
        FrmPrincipale w(s);
        w.Form_Load();
        QCoreApplication::processEvents();
        QCOMPARE(g.prompts.shown.size(), 1);
        QVERIFY(g.prompts.shown[0].text.contains("could not be saved"));
        QCOMPARE(s.TempsTimeout, qint16(200));
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
