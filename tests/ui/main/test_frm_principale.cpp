#include "core/AppState.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "model/BoardModel.h"
#include "model/InProcessPort.h"
#include "support/ManualClock.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/main/FrmPrincipale.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
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
        window = std::make_unique<FrmPrincipale>(s);
        window->Form_Load();
        return *window;
    }
    QString langue(const QString& key) {
        return LireIni(s.langueIni(), "ValueSupervision", key);
    }
};

int keyCount(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    int n = 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.contains('=') && !line.startsWith('['))
            ++n;
    return n;
}

const QStringList kCustomer = {"Fichier", "Quitter", "Pilotage", "ChoixAsservissement", "Parametrage",
                               "Liaisonserie", "view", "outils", "SuperviserData", "t4",
                               "ReloadVantrelParameters", "t6", "baudrate", "t7",
                               "LoadConfigurationFile", "DecryptFile", "Menuapropos"};

const QStringList kInternal = {
    "Fichier", "Quitter", "Pilotage", "ChoixAsservissement", "Parametrage", "Liaisonserie",
    "Supervision", "Configuration", "Etalonnage", "Puissancedentree", "Puissancedesortiephs1",
    "Puissancedesortiephs2", "view", "outils", "commandesget", "t1", "SuperviserData", "t4",
    "ReloadVantrelParameters", "t6", "baudrate", "t7", "LoadConfigurationFile", "t8", "cryptfile",
    "t9", "DecryptFile", "t10", "Passerlesoftenmodeclient", "Affichage", "ValeursMinMaxThresholds",
    "Menuapropos"};

} // namespace

class TestFrmPrincipale : public QObject {
    Q_OBJECT
private slots:
    void firstStartInEmptyFolder() {
        Fixture f;
        FrmPrincipale& w = f.start();
        QCOMPARE(w.windowTitle(), QStringLiteral("TAV OEM V %1.%2%3")
                                      .arg(TAV_VERSION_MAJOR).arg(TAV_VERSION_MINOR).arg(TAV_VERSION_PATCH));
        QCOMPARE(keyCount(f.s.generalIni()), 80);
        QCOMPARE(f.langue("Langue"), QString("En"));
        QCOMPARE(f.langue("CheckOptions"), QString("0"));
        QCOMPARE(f.langue("TxtRepeatCycle"), QString("3"));
        QCOMPARE(f.s.TempsTimeout, qint16(250));
        QCOMPARE(f.s.TempsRafraichissement, 250);
        QCOMPARE(f.s.NbRepetitions, qint16(3));
        QCOMPARE(f.s.LangueCourante, QString("En"));
        QVERIFY(!f.s.FluxActif);
        QCOMPARE(w.entry("Quitter")->text(), QString("Exit"));
        QCOMPARE(w.entry("MenuLoadHexFile")->text(), QString("In-Application Download"));
        QCOMPARE(w.entry("baudrate")->text(), QString("Automatic Baud Rate Detection"));
        QVERIFY(!w.entry("Imprimer")->isEnabled());
        QVERIFY(f.prompts.shown.isEmpty());
        // Nothing talks to the board at start-up.
        QCOMPARE(f.port.openCount, 0);
        QVERIFY(!w.Timer.isEnabled());
    }

    void settingsFallbacksAndLanguage() {
        Fixture f;
        EcrireIni(f.s.langueIni(), "ValueSupervision", "CheckOptions", "2");
        EcrireIni(f.s.langueIni(), "ValueSupervision", "TxtRepeatCycle", "0");
        EcrireIni(f.s.langueIni(), "ValueSupervision", "Langue", "");
        FrmPrincipale& w = f.start();
        QCOMPARE(f.s.TempsTimeout, qint16(200));
        QCOMPARE(f.s.TempsRafraichissement, 50);
        QCOMPARE(f.s.NbRepetitions, qint16(0));
        QVERIFY(!f.s.FluxActif); // bit 0 clear
        QVERIFY(!w.fluxWindow);
        QVERIFY(w.manualCommandWindow);
        QCOMPARE(f.langue("Langue"), QString("En"));
        // A language file without texts gives empty captions, design captions never come back.
        QCOMPARE(w.entry("Quitter")->text(), QString());
        QCOMPARE(w.entry("baudrate")->text(), QString("Automatic Baud Rate Detection"));
    }

    void fluxFlagFromBitZero() {
        Fixture f;
        EcrireIni(f.s.langueIni(), "ValueSupervision", "CheckOptions", "3");
        FrmPrincipale& w = f.start();
        QVERIFY(f.s.FluxActif);
        QVERIFY(w.fluxWindow && w.fluxWindow->isVisible());
        QVERIFY(w.manualCommandWindow && w.manualCommandWindow->isVisible());
        QCOMPARE(w.fluxWindow->objectName(), QString("FrmVisualisationFlux"));
        QCOMPARE(w.manualCommandWindow->objectName(), QString("FrmCommandesManuelles"));
        // Closing the main window unloads the manual-command window, which closes the port.
        QVERIFY(f.port.isOpen());
        w.close();
        QVERIFY(!f.port.isOpen());
    }

    void variants() {
        {
            Fixture f;
            QCOMPARE(f.start().visibleEntries(), kCustomer);
        }
        {
            Fixture f;
            f.start();
            // Marker scrambled from the password in lower case.
            EcrireIni(f.s.fichIni(), "PWD", "CLIENT", BrouillerTexte(QStringLiteral("quilta")));
            f.window.reset();
            FrmPrincipale& w = f.start();
            QCOMPARE(w.visibleEntries(), kInternal);
            w.Passerlesoftenmodeclient_Click();
            QVERIFY(!QFile::exists(f.s.fichIni()));
            QStringList afterSwitch = kCustomer;
            afterSwitch.removeAll("SuperviserData");
            QCOMPARE(w.visibleEntries(), afterSwitch);
            // Next start: the customer menu, SuperviserData visible again.
            f.window.reset();
            QCOMPARE(f.start().visibleEntries(), kCustomer);
        }
    }

    void newLanguageFileResetsVariant() {
        Fixture f;
        f.start();
        QVERIFY(EcrireMarqueurUsine(f.s.programDir));
        QFile::remove(f.s.langueIni());
        f.window.reset();
        QCOMPARE(f.start().visibleEntries(), kCustomer);
        QVERIFY(!QFile::exists(f.s.fichIni()));
    }

    void reloadFactoryParameters() {
        Fixture f;
        FrmPrincipale& w = f.start();
        EcrireIni(f.s.generalIni(), "RS232", "PORT", "/dev/null-board");
        // No: nothing is sent.
        f.prompts.yesNoAnswers = {false};
        w.ReloadVantrelParameters_Click();
        QVERIFY(f.port.lines.isEmpty());
        QCOMPARE(f.prompts.shown.last().title, QString("Reload TAV Parameters"));
        QCOMPARE(f.prompts.shown.last().icon, PromptIcon::Critical);
        // Yes, acknowledged: no message.
        f.prompts.clear();
        f.prompts.yesNoAnswers = {true};
        f.port.answer("RVP!\r");
        w.ReloadVantrelParameters_Click();
        QCOMPARE(f.port.lines, QList<QByteArray>({"RVP\r"}));
        QCOMPARE(f.prompts.messageTexts(), QStringList());
        // Yes, answer without "!": the failure message.
        f.prompts.yesNoAnswers = {true};
        f.port.answer("RVP#\r");
        w.ReloadVantrelParameters_Click();
        QCOMPARE(f.prompts.messageTexts(), QStringList({"Reload TAV Parameters failed."}));
    }

    void passwordWindow() {
        Fixture f;
        f.start();
        f.s.MotDePasseValide = true;
        FrmMotDePasse dlg(f.s);
        QVERIFY(!f.s.MotDePasseValide); // reset on opening
        QCOMPARE(dlg.windowTitle(), QString("Enter the password"));
        dlg.show();
        QTest::keyClicks(dlg.TxtPWD, "wrong");
        QTest::keyClick(dlg.TxtPWD, Qt::Key_Return);
        QCOMPARE(f.prompts.messageTexts(), QStringList({"Invalid password."}));
        QCOMPARE(f.prompts.shown.last().title, QString("Password"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.TxtPWD->text(), QString());
        QVERIFY(!f.s.MotDePasseValide);
        QTest::keyClicks(dlg.TxtPWD, "quilta");
        QTest::keyClick(dlg.TxtPWD, Qt::Key_Return);
        QVERIFY(f.s.MotDePasseValide);
        QVERIFY(!dlg.isVisible());
    }

    void damagedSettingsFilesStillStart() {
        Fixture f;
        QFile g(f.s.generalIni());
        g.open(QIODevice::WriteOnly);
        g.write(QByteArray("\0\xff\xfe[RS232\nPORT", 16));
        g.close();
        QFile l(f.s.langueIni());
        l.open(QIODevice::WriteOnly);
        l.write("[ValueSupervision]\r\nTxtTimeoutValue=abc\r\nTxtRepeatCycle=70000\r\n"
                "[FrmPrincipaleEn]\r\nquitter");
        l.close();
        FrmPrincipale& w = f.start();
        QCOMPARE(f.s.TempsTimeout, qint16(0));
        QCOMPARE(f.s.NbRepetitions, qint16(32767)); // out of range: held at the limit, not wrapped
        QCOMPARE(w.entry("Quitter")->text(), QString());
        QVERIFY(f.prompts.shown.isEmpty());
    }

    void unwritableFolderGivesOneMessage() {
        QTemporaryDir base;
        QFile blocker(base.filePath("file"));
        blocker.open(QIODevice::WriteOnly);
        blocker.close();
        ManualClock clock;
        ScriptedPort port(clock);
        ScriptedPrompts prompts;
        AppState s(base.filePath("file/sub"), port, clock, prompts); // cannot be created
        FrmPrincipale w(s);
        w.Form_Load();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.shown[0].text.contains("cannot be written"));
        QCOMPARE(s.TempsTimeout, qint16(200));
    }

    void controlPanelRunsThePoll() {
        QTemporaryDir dir;
        ManualClock clock;
        sim::BoardModel board;
        sim::InProcessPort port(board, clock);
        ScriptedPrompts prompts;
        AppState s(dir.path(), port, clock, prompts);
        FrmPrincipale w(s);
        w.Form_Load();
        w.ChoixAsservissement_Click();
        QVERIFY(w.controlPanelWindow);
        QCOMPARE(w.controlPanelWindow->objectName(), QString("FrmMenuPilotage"));
        QCOMPARE(s.FenetreActive, qint16(5));
        QVERIFY(w.Timer.isEnabled());
        QCOMPARE(w.Timer.period(), 250);
        QVERIFY(port.receivedLines().contains("SNU?"));
        QVERIFY(prompts.shown.isEmpty());
        w.controlPanelWindow->close();
        QTRY_VERIFY(!w.controlPanelWindow);
        QVERIFY(!w.Timer.isEnabled());
        QCOMPARE(s.FenetreActive, qint16(-999));
        QVERIFY(!port.isOpen());
    }

    void bootSmoke() {
        const QString exe = qEnvironmentVariable("TAVOEM_BIN");
        if (exe.isEmpty())
            QSKIP("TAVOEM_BIN not set");
        QTemporaryDir dir;
        QProcess p;
        p.start(exe, {"--program-dir", dir.path(), "--quit-after", "200"});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(keyCount(dir.filePath("General.ini")), 80);
        QVERIFY(QFile::exists(dir.filePath("langue.ini")));
    }
};

QTEST_MAIN(TestFrmPrincipale)
#include "test_frm_principale.moc"
