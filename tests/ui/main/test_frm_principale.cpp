// The main window's start-up, its settings reports, its link-settings, read-list and about
// windows, and where windows open.
#include "core/Version.h"
#include "core/link/Catalogue.h"
#include "core/settings/Ini.h"
#include "core/settings/SettingsCheck.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "support/ScriptedPort.h"
#include "ui/about/FrmAPropos.h"
#include "ui/main/FrmCmdRead.h"
#include "ui/main/FrmPrincipale.h"
#include "ui/main/FrmSupervision.h"
#include "ui/support/Grid.h"
#include "ui/support/SettingsReport.h"
#include "ui/support/WindowPlacement.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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
    void put(const QString& name, const QByteArray& bytes) {
        QVERIFY(writeBytes(s.filePath(name), bytes));
    }
};

// The link-settings window's keys in the language file.
struct Fixture : BoardRig {
    void store(const QString& key, const QString& v) { EcrireIni(s.langueIni(), "ValueSupervision", key, v); }
    QByteArray langueBytes() const { return fileBytes(s.langueIni()); }
};

struct ReadList : test::BoardRig {
    ReadList() { prompts.messagesAreUnexpected = true; }
    QString get(const QString& sec, int key) const { return LireIni(s.generalIni(), sec, QString::number(key)); }
    void set(const QString& sec, int key, const QString& v) { EcrireIni(s.generalIni(), sec, QString::number(key), v); }
    // The stored marks of keys 1..7 as one text, "-" for none.
    QString marks() const {
        QString out;
        for (int k = 1; k <= 7; ++k)
            out += get(kReadX, k).isEmpty() ? QStringLiteral("-") : get(kReadX, k);
        return out;
    }
};

void clickCell(Grid* g, int row, int col) {
    const QRect r = g->visualRect(g->model()->index(row - 1, col - 1));
    QVERIFY(r.isValid());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
}

bool isRedCentredMark(const Grid* g, int row) {
    return g->cellText(row, 3) == QLatin1String("X") && g->cellColor(row, 3) == QColor(255, 0, 0) &&
           g->isCellCentered(row, 3) && g->isCellStatic(row, 3);
}

// The main window on the in-process board; the about box opens from its "?" entry.
struct AboutRig : BoardRig {
    FrmPrincipale main{s};
    AboutRig() {
        main.Form_Load();
        board.setVersion("2.31");
    }
    // The box shown; null when none or two are.
    FrmAPropos* open() {
        main.entry("Menuapropos")->trigger();
        QList<FrmAPropos*> shown;
        for (FrmAPropos* w : main.findChildren<FrmAPropos*>())
            if (w->isVisible()) shown << w;
        return shown.size() == 1 ? shown[0] : nullptr;
    }
};

QRect area() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

bool inside(const QWidget* w) {
    return area().contains(w->frameGeometry());
}

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

    void variants() {
        ProgramRig f;
        const QStringList customer = f.start().visibleEntries();
        QCOMPARE(customer.size(), 17);
        QVERIFY(customer.contains("SuperviserData") && !customer.contains("Supervision"));
        // Marker scrambled from the password in lower case.
        EcrireIni(f.s.fichIni(), "PWD", "CLIENT", BrouillerTexte(QStringLiteral("quilta")));
        FrmPrincipale& w = f.start();
        QCOMPARE(w.visibleEntries().size(), 32);
        QVERIFY(w.visibleEntries().contains("Supervision") && w.visibleEntries().contains("cryptfile"));
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
        f.prompts.yesNoAnswers = {true, true};
        f.port.answer("RVP!\r");
        w.ReloadVantrelParameters_Click();
        QCOMPARE(f.port.lines, QList<QByteArray>({"RVP\r"}));
        QVERIFY(f.prompts.messageTexts().isEmpty());
        f.port.answer("RVP#\r");
        w.ReloadVantrelParameters_Click();
        QCOMPARE(f.prompts.messageTexts(), QStringList({"Reload TAV Parameters failed."}));
    }

    // Once per operator action that made a failed save, at once (a settings window shows it
    // before it closes); failures from before the window (the --port option) are told too. Poll
    // ticks belong to the action that opened their window and repeat a failure only after a
    // save has succeeded.
    void failedSavesToldPerAction() {
        ProgramRig p;
        Poll poll(p.s);
        p.s.Timer = &poll;
        p.put("file", "x");
        const auto fail = [&] { EcrireIni(p.s.filePath("file/General.ini"), "RS232", "PORT", "COM3"); };
        fail();
        poll.setRefresh(5, fail);
        p.s.FenetreActive = 5;
        poll.start();
        QList<int> told;
        {
            SettingsFailureReport report(p.s, "TAV", nullptr);
            told << p.prompts.shown.size();
            fail(); // the same action
            told << p.prompts.shown.size();
            ++p.s.actionOperateur;
            fail();
            told << p.prompts.shown.size();
            for (const bool saved : {false, true}) { // the same failure in a tick
                if (saved) QVERIFY(EcrireIni(p.s.generalIni(), "RS232", "PORT", "COM3"));
                ++p.s.actionOperateur;
                poll.EcheanceSuivante = 0;
                poll.TraiterTop();
                QCoreApplication::processEvents(); // a tick's failure shows once it is over
                told << p.prompts.shown.size();
            }
        }
        p.s.Timer = nullptr;
        QCOMPARE(told, (QList<int>{1, 1, 2, 2, 3}));
        const QString text = p.prompts.shown[0].text;
        QVERIFY2(text.startsWith("The settings could not be saved in " +
                                 QDir::toNativeSeparators(p.s.filePath("file/General.ini"))) &&
                     !text.contains("space"),
                 qPrintable(text));
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
        const QByteArray sound = "[RS232]\r\nPORT=COM2\r\nBAUD=9600\r\nParite=N\r\nDATA=8\r\nSTOP=1";
        const QByteArray texts = "[FrmPrincipaleEn]\r\nquitter=Exit\r\n";
        QTest::newRow("garbage settings")
            << QByteArray("\0\xff\xfe[RS232\nPORT", 16) << texts << QStringList{"General.ini"};
        QTest::newRow("empty language file")
            << sound << QByteArray() << QStringList{"langue.ini", "customer variant"};
        QTest::newRow("port missing, given as an option")
            << QByteArray("[RS232]\r\nBAUD=9600\r\nPARITE=N\r\nDATA=8\r\nSTOP=1\r\n") << texts
            << QStringList{"General.ini", "lacks PORT,"};
    }
    void damagedFilesToldAtStart() {
        QFETCH(QByteArray, general);
        QFETCH(QByteArray, langue);
        QFETCH(QStringList, named);
        ProgramRig p;
        p.put("General.ini", general);
        p.put("langue.ini", langue);
        // Judged as found, before tavoem's --port option writes the line settings.
        const QString found = applyStartOptions(p.s.programDir, false, QString("COM2"));
        p.window = std::make_unique<FrmPrincipale>(p.s);
        p.window->Form_Load(found);
        QCOMPARE(p.prompts.shown.size(), named.isEmpty() ? 0 : 1);
        for (const QString& n : named)
            QVERIFY2(p.prompts.shown[0].text.contains(n), qPrintable(p.prompts.shown[0].text));
        // Nothing is deleted or repaired behind the operator's back.
        QVERIFY(fileBytes(p.s.generalIni()).startsWith(general));
    }

    // Empty keys show the window's own values; Validate stores the texts as typed, which the
    // next opening shows.
    void validateStoresAsTyped() {
        Fixture f;
        f.prompts.messagesAreUnexpected = true;
        for (const char* key : {"TxtTimeoutValue", "TxtRefreshValue", "TxtRepeatCycle"})
            f.store(key, QString());
        f.store("CheckChrByChr", "1");
        const auto shown = [](const FrmSupervision& w) {
            return QStringList{w.TxtTimeoutValue->text(), w.TxtRefreshValue->text(),
                               w.TxtRepeatCycle->text(), w.CheckChrByChr->isChecked() ? "1" : "0"};
        };
        {
            FrmSupervision w(f.s);
            QCOMPARE(shown(w), (QStringList{"250", "250", "3", "1"}));
            QSignalSpy accepted(&w, &QDialog::accepted);
            w.TxtTimeoutValue->setText("0300");
            w.TxtRefreshValue->setText("70000");
            w.TxtRepeatCycle->setText("0"); // zero repeats: one attempt
            w.CheckChrByChr->setChecked(false);
            QTest::mouseClick(w.BoutonValider, Qt::LeftButton);
            QCOMPARE(accepted.count(), 1);
        }
        QVERIFY(f.s.TempsTimeout == 300 && f.s.TempsRafraichissement == 70000 && f.s.NbRepetitions == 0);
        QCOMPARE(shown(FrmSupervision(f.s)), (QStringList{"0300", "70000", "0", "0"}));
    }

    void badEntriesAreRefused_data() {
        columns<QString, QString>({"box", "typed"});
        QTest::newRow("time-out with letters") << "TxtTimeoutValue" << "12abc";
        QTest::newRow("time-out zero") << "TxtTimeoutValue" << "0";
        QTest::newRow("decimal refresh") << "TxtRefreshValue" << "250.5";
        QTest::newRow("refresh beyond 32 bits") << "TxtRefreshValue" << "2147483648";
        QTest::newRow("negative repeats") << "TxtRepeatCycle" << "-1";
        QTest::newRow("repeats beyond 16 bits") << "TxtRepeatCycle" << "99999";
    }
    void badEntriesAreRefused() {
        Fixture f;
        const QByteArray before = f.langueBytes();
        FrmSupervision w(f.s);
        QSignalSpy accepted(&w, &QDialog::accepted);
        w.CheckChrByChr->setChecked(true);
        w.TxtTimeoutValue->setText("500");
        w.findChild<QLineEdit*>(fetch<QString>("box"))->setText(fetch<QString>("typed"));
        w.BoutonValider_Click();
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(f.prompts.shown.size(), 1);
        QVERIFY(f.prompts.shown[0].text.contains("whole number"));
        QCOMPARE(f.prompts.shown[0].icon, PromptIcon::Critical);
        QCOMPARE(f.langueBytes(), before);
        QVERIFY(f.s.TempsTimeout == 200 && f.s.NbRepetitions == 3);
    }

    // A "not used" entry leaves no row: the rows below move up with their own marks, and saving
    // writes the list back under the row numbers; only "X" (any case) is a mark.
    void loadAndSave() {
        ReadList f;
        f.set(kCmdReadSyn, 3, "not used");
        for (int k : {2, 3}) f.set(kReadX, k, "X");
        f.set(kReadX, 4, "x");
        f.set(kReadX, 5, "junk");
        FrmCmdRead w(f.s);
        Grid* g = w.vaSpreadRead;
        QCOMPARE(g->lastRowWithData(), 6);
        QCOMPARE(g->rowCount(), 16); // ten spare rows
        QCOMPARE(g->cellText(3, 2) + '|' + g->cellText(3, 3), "ID1|x");
        QCOMPARE(g->cellText(6, 1) + '|' + g->cellText(6, 2), "(Read the alarms)|ALA");
        QSignalSpy closed(&w, &QDialog::accepted);
        w.show();
        QTest::mouseClick(w.Enregistrer, Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(f.get(kCmdReadSyn, 3), QStringLiteral("ID1 (Read Diode 1 Actual Current)"));
        QCOMPARE(f.marks(), QStringLiteral("-XX----"));
    }

    // Clicks in the mark column toggle red centred marks, other columns do nothing; the French
    // caption is not "&Select all", so the button's first click clears.
    void marks() {
        ReadList f;
        EcrireIni(f.s.langueIni(), "ValueSupervision", "Langue", "Fr");
        f.set(kReadX, 4, "X");
        FrmCmdRead w(f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Grid* g = w.vaSpreadRead;
        clickCell(g, 2, 3);
        QVERIFY(isRedCentredMark(g, 2));
        for (const QPoint& rc : {QPoint(4, 3), QPoint(2, 3), QPoint(5, 3), QPoint(6, 1), QPoint(6, 2)})
            clickCell(g, rc.x(), rc.y());
        w.SauverCommandesGet();
        QCOMPARE(f.marks(), QStringLiteral("----X--"));

        QTest::mouseClick(w.Selectionner, Qt::LeftButton);
        QCOMPARE(w.Selectionner->text(), QStringLiteral("&Select all"));
        QCOMPARE(g->cellText(5, 3), QString());
        QTest::mouseClick(w.Selectionner, Qt::LeftButton);
        QCOMPARE(w.Selectionner->text(), QStringLiteral("&De-select all"));
        for (int r = 1; r <= 7; ++r)
            QVERIFY(isRedCentredMark(g, r));
        QCOMPARE(g->cellText(8, 3), QString()); // only data rows
        w.SauverCommandesGet();
        QCOMPARE(f.marks(), QStringLiteral("XXXXXXX"));
    }

    void eachOpeningAsksOnce_data() {
        columns<QString, int, QString, int>({"marker", "refresh", "variant", "interval"});
        QTest::newRow("customer") << "" << 250 << "Customer Version" << 250;
        QTest::newRow("marker in other case")
            << BrouillerTexte(QStringLiteral("quilta")) << 250 << "Internal Version" << 250;
        QTest::newRow("period capped") << "" << 100000 << "Customer Version" << 65535;
        QTest::newRow("no period: first turn") << "" << 0 << "Customer Version" << 0;
    }
    void eachOpeningAsksOnce() {
        QFETCH(QString, marker);
        AboutRig r;
        if (!marker.isEmpty()) EcrireIni(r.s.fichIni(), "PWD", "CLIENT", marker);
        r.s.TempsRafraichissement = fetch<int>("refresh");
        for (int opening = 1; opening <= 2; ++opening) {
            FrmAPropos* box = r.open();
            QTEST(box->Label->text(), "variant");
            QCOMPARE(box->windowTitle(), "TAV SOFTWARE V " + versionText().section(u'.', 0, 0) + u'.' +
                                             versionText().section(u'.', 1).remove(u'.')); // 1.0.1: 1.01
            QCOMPARE(box->TxtVER->text(), QString("Embedded Software : "));
            QTEST(box->Horloge->interval(), "interval");
            if (r.s.TempsRafraichissement > 0) box->Horloge_Timer();
            QCoreApplication::processEvents();
            QVERIFY(!box->Horloge->isActive()); // stopped after its one query
            box->Horloge_Timer();
            QCOMPARE(box->TxtVER->text(), QString("Embedded Software : 2.31"));
            QCOMPARE(r.open(), box); // already open: brought forward, not asked again
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(!box->isVisible());
        }
        // "VER?" and its second carriage return, once per opening.
        QCOMPARE(r.sent(), QStringList({"VER?", "", "VER?", ""}));
    }

    void password_data() {
        columns<QString, bool>({"typed", "accepted"}); // typed null: the box is cancelled
        QTest::newRow("lower case") << "quilta" << true;
        QTest::newRow("cancelled") << QString() << false;
        QTest::newRow("wrong") << "QUILT" << false;
    }
    void password() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        AboutRig r;
        r.prompts.inputAnswers << (typed.isNull() ? std::nullopt : std::optional(typed));
        FrmAPropos* box = r.open();
        QTest::mouseClick(box->TxtVER, Qt::LeftButton);
        const auto& asked = r.prompts.shown.first(); // a masked input box
        QCOMPARE(asked.kind + ':' + asked.text + asked.title,
                 QString("secret:Veuillez saisir le mot de passe.Passer en soft usine"));
        QCOMPARE(VarianteUsine(r.dir.path()), accepted);
        QCOMPARE(r.main.entry("Passerlesoftenmodeclient")->isVisible(), accepted);
        QCOMPARE(r.prompts.messageTexts(),
                 accepted ? QStringList() : QStringList{"Mot de passe invalide."});
    }

    // Every window opens where it can be used (the suite runs on two screen sizes, below); the
    // menu bar never folds after a variant switch.
    void rules() { // the least move inside; a window too large goes to the top left
        QCOMPARE(keptInside(QRect(1000, 700, 400, 300), QRect(0, 0, 1280, 800)), QPoint(880, 500));
        QCOMPARE(keptInside(QRect(-50, -80, 1400, 900), QRect(0, 0, 1280, 800)), QPoint(0, 0));
    }

    void placement() {
        QCOMPARE(QString::number(area().width()), qgetenv("TAV_TEST_SCREEN")); // not the default
        for (const bool internal : {false, true}) placementIn(internal);
    }
    void placementIn(bool internal) {
        BoardRig rig;
        if (internal) QVERIFY(EcrireMarqueurUsine(rig.dir.path()));
        EcrireIni(rig.s.langueIni(), "ValueSupervision", "CheckOptions", "3");
        FrmPrincipale main(rig.s);
        main.Form_Load();
        main.show();
        QToolButton* chevron = main.menuBar()->findChild<QToolButton*>("qt_menubar_ext_button");
        const auto folded = [chevron] { return !chevron || chevron->isVisible(); };

        // The serial-flow and manual-command windows stay off the main window's menu bar and
        // off each other.
        const QRect bar(main.menuBar()->mapToGlobal(QPoint()), main.menuBar()->size());
        for (QWidget* w : {main.fluxWindow.data(), main.manualCommandWindow.data()})
            QVERIFY(w && w->isVisible() && inside(w) && !w->frameGeometry().intersects(bar));
        QVERIFY(!main.fluxWindow->frameGeometry().intersects(main.manualCommandWindow->frameGeometry()));

        // A variant switch widens the window about its centre, inside the screen.
        if (!internal) {
            const int centre = main.frameGeometry().center().x();
            main.MontrerEntreesUsine();
            QCoreApplication::processEvents();
            const QRect now = main.frameGeometry();
            QVERIFY(!folded() && inside(&main) && (qAbs(now.center().x() - centre) <= 1 ||
                                                   now.left() == 0 || now.right() == area().right()));
            main.Passerlesoftenmodeclient_Click(); // never shrinks
            QVERIFY(main.width() >= main.menuBar()->sizeHint().width());
        }
        QVERIFY(!folded());

        // The large windows lie wholly inside the available area, or at its top when taller
        // (the configuration window on 1280 x 720); a polled one runs the poll until it closes,
        // which stops the poll and closes the port.
        for (const auto& [entry, code] : {std::pair{"Configuration", 6}, {"ChoixAsservissement", 5}}) {
            main.entry(entry)->trigger();
            QPointer<QWidget> w = code == 5 ? main.controlPanelWindow : main.manualConfigWindow;
            QVERIFY(w && (inside(w) || (w->frameGeometry().top() == area().top() && w->height() > area().height())));
            QVERIFY(rig.s.FenetreActive == code && main.Timer.hasRefresh(code));
            w->close();
            QTRY_VERIFY(!w);
            QVERIFY(!main.Timer.isEnabled() && !rig.port.isOpen() && rig.prompts.shown.isEmpty() &&
                    rig.s.FenetreActive == AppState::kNoWindow && rig.s.FluxActif);
        }
    }
};

// Runs the suite once per screen size, each in a child on an offscreen screen of that size.
int main(int argc, char** argv) {
    if (std::getenv("TAV_TEST_SCREEN")) {
        QApplication app(argc, argv);
        TestFrmPrincipale test;
        return QTest::qExec(&test, argc, argv);
    }
    int failed = 0;
    for (const auto& [w, h] : {std::pair{1280, 720}, {1366, 768}, {1920, 1080}}) {
        const std::string config = "/tmp/tav-screen-" + std::to_string(::getpid()) + ".json";
        std::ofstream(config) << R"({"screens":[{"name":"S","x":0,"y":0,"width":)" << w
                              << R"(,"height":)" << h << "}]}";
        ::setenv("TAV_TEST_SCREEN", std::to_string(w).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
        const pid_t pid = ::fork();
        if (pid == 0) _exit(::execv("/proc/self/exe", argv));
        int status = 0;
        failed += ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status);
        ::unlink(config.c_str());
    }
    return failed;
}

#include "test_frm_principale.moc"
