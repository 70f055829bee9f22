// The main window's start-up, its settings reports and its link-settings window.
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "support/ScriptedPort.h"
#include "ui/Columns.h"
#include "ui/main/FrmPrincipale.h"
#include "ui/main/FrmSupervision.h"
#include "ui/support/SettingsReport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace tav;
using namespace tav::test;

namespace {

// An empty program folder and a scripted board; start() runs the main window's load and lets
// the queued reports show.
struct ProgramRig {
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
        QCoreApplication::processEvents();
        return *window;
    }
    // Writes a file of the program folder.
    void put(const QString& name, const QByteArray& bytes) {
        QFile f(s.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

// The link-settings window's keys in the language file.
struct Fixture : BoardRig {
    QString stored(const QString& key) const { return LireIni(s.langueIni(), "ValueSupervision", key); }
    void store(const QString& key, const QString& v) { EcrireIni(s.langueIni(), "ValueSupervision", key, v); }
    QByteArray langueBytes() const { return fileBytes(s.langueIni()); }
};

} // namespace

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

    // Menu entries open the polled windows; closing the window, or the main window, stops the
    // poll and closes the port.
    void polledWindowsFromTheMenu_data() {
        columns<QString, int, QByteArray, bool>({"entry", "code", "first", "closeMain"});
        QTest::newRow("control panel") << "ChoixAsservissement" << 5 << QByteArray("SNU?") << false;
        QTest::newRow("configuration") << "Configuration" << 6 << QByteArray("PWD=QUILTA") << true;
    }
    void polledWindowsFromTheMenu() {
        QFETCH(QString, entry);
        QFETCH(int, code);
        BoardRig rig;
        FrmPrincipale w(rig.s);
        w.Form_Load();
        w.entry(entry)->trigger();
        QPointer<QWidget>& window = code == 5 ? w.controlPanelWindow : w.manualConfigWindow;
        QVERIFY(window && rig.s.FenetreActive == code && w.Timer.hasRefresh(code));
        QCOMPARE(w.Timer.period(), 250);
        QTEST(rig.port.receivedLines().value(0), "first");
        QVERIFY(rig.prompts.shown.isEmpty());
        QFETCH(bool, closeMain);
        closeMain ? w.close() : window->close();
        QTRY_VERIFY(!window);
        QVERIFY(!w.Timer.isEnabled() && !rig.port.isOpen());
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
    }

    // Once per kind of failure and run, after the writing handler has returned; failures from
    // before the window (the --port option) are told too.
    void failedWritesToldOncePerKind() {
        ProgramRig p;
        p.put("file", "x");
        const QString inFile = p.s.filePath("file/General.ini");
        EcrireIni(inFile, "RS232", "PORT", "COM3");
        {
            SettingsFailureReport report(p.prompts, "TAV", nullptr);
            EcrireIni(inFile, "RS232", "BAUD", "9600");
            EcrireIni(p.s.filePath("file/langue.ini"), "S", "k", "v");
            QVERIFY(p.prompts.shown.isEmpty());
            QCoreApplication::processEvents();
            QCOMPARE(p.prompts.shown.size(), 1);
            EcrireIni(p.dir.path(), "S", "k", "v"); // a folder where the file should be
            QCoreApplication::processEvents();
            QCOMPARE(p.prompts.shown.size(), 2);
        }
        const QString folder = QDir::toNativeSeparators(p.s.filePath("file"));
        const QString text = p.prompts.shown[0].text;
        QVERIFY(text.startsWith("The settings could not be saved in " + folder + ": "));
        QVERIFY(text.endsWith(". Free some space or choose another folder."));
        QVERIFY(p.prompts.shown[1].text != text);
    }

    // A first start on a full disk (a file-size limit, binding root too) writes nothing, leaves
    // no short file and tells the operator once; the built-in settings are used.
    void firstStartOnFullDisk() {
        ProgramRig p;
        const int told = inChild([] { limitFileSize(2000); },
                                 [&] {
                                     p.start();
                                     const QStringList texts = p.prompts.messageTexts();
                                     return texts.size() == 1 &&
                                                    texts[0].contains("File too large") &&
                                                    p.s.TempsTimeout == 200
                                                ? 1
                                                : 0;
                                 });
        QCOMPARE(told, 1);
        QCOMPARE(QDir(p.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void damagedFilesToldAtStart_data() {
        columns<QByteArray, QByteArray, QStringList>({"general", "langue", "named"});
        const QByteArray sound = "[RS232]\r\nPORT=COM1\r\n";
        const QByteArray texts = "[FrmPrincipaleEn]\r\nquitter=Exit\r\n";
        QTest::newRow("garbage settings")
            << QByteArray("\0\xff\xfe[RS232\nPORT", 16) << texts << QStringList{"General.ini"};
        QTest::newRow("empty language file")
            << sound << QByteArray() << QStringList{"langue.ini", "customer variant"};
        QTest::newRow("both") << QByteArray("\r\n")
                              << QByteArray("[ValueSupervision]\r\nLangue=En\r\n")
                              << QStringList{"General.ini", "langue.ini"};
        QTest::newRow("sound") << sound << texts << QStringList();
    }
    void damagedFilesToldAtStart() {
        QFETCH(QByteArray, general);
        QFETCH(QByteArray, langue);
        QFETCH(QStringList, named);
        ProgramRig p;
        p.put("General.ini", general);
        p.put("langue.ini", langue);
        p.start();
        QCOMPARE(p.prompts.shown.size(), named.isEmpty() ? 0 : 1);
        for (const QString& n : named)
            QVERIFY2(p.prompts.shown[0].text.contains(n), qPrintable(p.prompts.shown[0].text));
        // Nothing is deleted or repaired behind the operator's back.
        QCOMPARE(fileBytes(p.s.generalIni()), general);
    }

    void loadsStoredValuesElseItsOwn() {
        Fixture f;
        const auto shown = [&f] {
            FrmSupervision w(f.s);
            return QStringList{w.TxtTimeoutValue->text(), w.TxtRefreshValue->text(),
                               w.TxtRepeatCycle->text(), w.CheckChrByChr->isChecked() ? "1" : "0"};
        };
        for (const char* key : {"TxtTimeoutValue", "TxtrefreshValue", "TxtRepeatCycle"})
            f.store(key, QString());
        QCOMPARE(shown(), (QStringList{"250", "250", "3", "0"}));
        f.store("TxtTimeoutValue", "400");
        f.store("TXTREFRESHVALUE", "1200"); // keys in any letter case
        f.store("TxtRepeatCycle", "1");
        f.store("CheckChrByChr", "1");
        QCOMPARE(shown(), (QStringList{"400", "1200", "1", "1"}));
    }

    void validateStoresAsTyped() {
        Fixture f;
        f.prompts.messagesAreUnexpected = true;
        f.store("CheckChrByChr", "1");
        FrmSupervision w(f.s);
        QSignalSpy accepted(&w, &QDialog::accepted);
        w.TxtTimeoutValue->setText("0300");
        w.TxtRefreshValue->setText("70000");
        w.TxtRepeatCycle->setText("0"); // zero repeats: one attempt
        w.CheckChrByChr->setChecked(false);
        QTest::mouseClick(w.BoutonValider, Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QStringList stored;
        for (const char* key : {"TxtTimeoutValue", "TxtRefreshValue", "TxtRepeatCycle", "CheckChrByChr"})
            stored << f.stored(key);
        QCOMPARE(stored, (QStringList{"0300", "70000", "0", "0"}));
        QVERIFY(f.s.TempsTimeout == 300 && f.s.TempsRafraichissement == 70000 && f.s.NbRepetitions == 0);
    }

    void badEntriesAreRefused_data() {
        columns<QString, QString>({"box", "typed"});
        QTest::newRow("time-out with letters") << "TxtTimeoutValue" << "12abc";
        QTest::newRow("time-out beyond 16 bits") << "TxtTimeoutValue" << "32768";
        QTest::newRow("time-out zero") << "TxtTimeoutValue" << "0";
        QTest::newRow("decimal refresh") << "TxtRefreshValue" << "250.5";
        QTest::newRow("refresh beyond 32 bits") << "TxtRefreshValue" << "2147483648";
        QTest::newRow("negative repeats") << "TxtRepeatCycle" << "-1";
        QTest::newRow("repeats beyond 16 bits") << "TxtRepeatCycle" << "99999";
    }
    void badEntriesAreRefused() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        Fixture f;
        const QByteArray before = f.langueBytes();
        FrmSupervision w(f.s);
        QSignalSpy accepted(&w, &QDialog::accepted);
        w.CheckChrByChr->setChecked(true);
        w.TxtTimeoutValue->setText("500");
        w.findChild<QLineEdit*>(box)->setText(typed);
        w.BoutonValider_Click();
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(f.prompts.shown.size(), 1);
        QVERIFY(f.prompts.shown[0].text.contains("whole number"));
        QCOMPARE(f.prompts.shown[0].icon, PromptIcon::Critical);
        QCOMPARE(f.langueBytes(), before);
        QVERIFY(f.s.TempsTimeout == 200 && f.s.NbRepetitions == 3);
        // Exit after the refusal stores nothing either.
        QSignalSpy rejected(&w, &QDialog::rejected);
        QTest::mouseClick(w.BoutonExit, Qt::LeftButton);
        QCOMPARE(rejected.count(), 1);
        QCOMPARE(f.langueBytes(), before);
    }
};

QTEST_MAIN(TestFrmPrincipale)
#include "test_frm_principale.moc"
