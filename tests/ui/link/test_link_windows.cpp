// Serial-link windows against the in-process board: settings, baud-rate and link menu entries,
// manual commands, serial flow and view options.
#include "core/link/Exchange.h"
#include "core/settings/Variant.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "support/Modal.h"
#include "ui/link/DetectionPanel.h"
#include "ui/link/FrmCommandesManuelles.h"
#include "ui/link/FrmConfigRS232.h"
#include "ui/link/FrmView.h"
#include "ui/link/FrmVisualisationFlux.h"
#include "ui/link/LinkMenu.h"
#include "ui/support/SettingsReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace tav;

namespace {

// Unscripted messages fail the test; the view options and the serial-link settings at hand.
struct Bench : test::BoardRig {
    Bench() { prompts.messagesAreUnexpected = true; }
    void setOptions(const QString& v) { EcrireIni(s.langueIni(), "ValueSupervision", "CheckOptions", v); }
    QString options() const { return LireIni(s.langueIni(), "ValueSupervision", "CheckOptions"); }
    QString get(const QString& key) const { return LireIni(s.generalIni(), "RS232", key); }
    void set(const QString& key, const QString& value) { EcrireIni(s.generalIni(), "RS232", key, value); }
    QByteArray generalBytes() const { return test::fileBytes(s.generalIni()); }
};

// A list's lines: as shown, or as stored (Qt::UserRole).
QStringList texts(const QAbstractItemView* list, int role = Qt::DisplayRole) {
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << list->model()->index(i, 0).data(role).toString();
    return out;
}

void type(FrmCommandesManuelles& w, const QString& text) {
    w.TxtCommande->setText(text);
    QTest::keyClick(w.TxtCommande, Qt::Key_Return);
}

// Runs the "View" entry, ticking the boxes as given (-1: left as they are) and pressing `button`.
void view(Bench& b, QWidget* main, QPointer<QWidget>& flux, QPointer<QWidget>& commandes,
          const QString& button, int box0, int box1) {
    test::clickInNextModal(button, [box0, box1](QWidget* modal) {
        for (auto [i, tick] : {std::pair{0, box0}, {1, box1}})
            if (tick >= 0)
                modal->findChild<QCheckBox*>(QString("CheckOptions_%1").arg(i))->setChecked(tick);
    });
    ExecuterVue(b.s, main, flux, commandes);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

const char* const kLists[] = {"ListePortCom", "ListeBaudRate", "ListeParite", "ListeBitsDonnees",
                              "ListeBitsStop"};

QComboBox* list(QWidget* w, const char* name) {
    return w->findChild<QComboBox*>(QString::fromLatin1(name));
}

} // namespace

class TestLinkWindows : public QObject {
    Q_OBJECT
private slots:
    void manualCommandsListsAnswers() {
        Bench b;
        FrmCommandesManuelles w(b.s);
        // Lower case goes out in upper case; the raw answer line is listed, "=" and "+" kept.
        b.port.responder = [](const QByteArray& line) -> std::optional<QByteArray> {
            return line == "IPW?" ? std::optional<QByteArray>("IPW=+12.3") : std::nullopt;
        };
        type(w, QStringLiteral("ipw?"));
        QCOMPARE(texts(w.SendList), QStringList{"IPW? recognized"});
        QCOMPARE(texts(w.AnswerList), QStringList{"IPW=+12.3"});
        QVERIFY(w.TxtCommande->text().isEmpty() && !b.s.ReponseBrute);

        // An unknown command never reaches the answer list; no answer: "TIMEOUT" only there.
        type(w, QStringLiteral("xyz?"));
        QCOMPARE(texts(w.SendList).last(), QStringLiteral("XYZ? unknown command"));
        b.port.setFault(sim::InProcessPort::Fault::NoAnswer, 4);
        type(w, QStringLiteral("snu?"));
        QCOMPARE(texts(w.AnswerList), (QStringList{"IPW=+12.3", "TIMEOUT"}));
        // An unreadable answer is shown with its bytes escaped.
        b.port.responder = [](const QByteArray&) { return std::optional<QByteArray>("SNU=\x7f\x8f"); };
        type(w, QStringLiteral("snu?"));
        QCOMPARE(texts(w.AnswerList).last(), QStringLiteral("SNU=<0x7F><0x8F>"));

        w.findChild<QPushButton*>(QStringLiteral("BoutonCorbeille"))->click();
        QCOMPARE(w.SendList->count() + w.AnswerList->count(), 0);
    }

    void enterDuringAnExchangeIsIgnored() {
        Bench b;
        b.s.FluxActif = true; // the exchange lets events run after each answer
        FrmCommandesManuelles w(b.s);
        int nested = 0;
        b.s.processEvents = [&] {
            if (nested++ == 0) {
                w.TxtCommande->setText(QStringLiteral("snu?"));
                w.TxtCommande_Enter();
            }
        };
        type(w, QStringLiteral("ver?"));
        QCOMPARE(b.port.receivedLines(), QList<QByteArray>{"VER?"});
        QCOMPARE(texts(w.AnswerList), QStringList{"VER=V1.20"}); // still the raw line
    }

    void flowListsFollowTheExchange() {
        Bench b;
        b.s.FluxActif = true;
        auto flux = std::make_unique<FrmVisualisationFlux>(b.s);
        flux->show();
        QCOMPARE(EnvoyerCommande(b.s, QStringLiteral("VER?")), QStringLiteral("V1.20"));
        EnvoyerCommande(b.s, QStringLiteral("SNU?"));
        QCOMPARE(texts(flux->SendList, Qt::UserRole), (QStringList{"VER?\r", "SNU?\r"}));
        QCOMPARE(texts(flux->AnswerList, Qt::UserRole),
                 (QStringList{"VER=V1.20\r", "SNU=TAV0001\r"}));
        QTRY_COMPARE(flux->AnswerList->currentIndex().row(), 1); // newest line in view

        // Time stamps: shown by default, switched off by the check box; the text stays.
        const QModelIndex first = flux->SendList->model()->index(0, 0);
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  VER\\?$")
                    .match(first.data().toString()).hasMatch());
        flux->findChild<QCheckBox*>(QStringLiteral("CheckHorodatage"))->setChecked(false);
        QCOMPARE(first.data().toString(), QStringLiteral("VER?"));

        flux->findChild<QPushButton*>(QStringLiteral("BoutonCorbeille"))->click();
        QCOMPARE(flux->SendList->model()->rowCount(), 0);
        QVERIFY(b.s.flow.lines(FlowLog::Answers).isEmpty());

        // Unloading the window empties its lists; what is logged afterwards shows when it opens
        // again.
        EnvoyerCommande(b.s, QStringLiteral("IPW?"));
        flux.reset();
        EnvoyerCommande(b.s, QStringLiteral("SNU?"));
        FrmVisualisationFlux again(b.s);
        again.show();
        QCOMPARE(texts(again.SendList, Qt::UserRole), QStringList{"SNU?\r"});
    }

    void viewOptionsOpenTheChosenWindows() {
        Bench b;
        QWidget main;
        QPointer<QWidget> flux, commandes;
        // At start-up, option 2 opens only the manual-command window and leaves FluxActif clear.
        b.setOptions(QStringLiteral("2"));
        AppliquerCheckOptions(b.s, &main, flux, commandes);
        QVERIFY(!flux && commandes && !b.s.FluxActif);

        // Exit stores nothing.
        view(b, &main, flux, commandes, QStringLiteral("BoutonExit"), 1, -1);
        QCOMPARE(b.options(), QStringLiteral("2"));

        // Both boxes checked: "3", both windows open, FluxActif set.
        view(b, &main, flux, commandes, QStringLiteral("BoutonValider"), 1, 1);
        QCOMPARE(b.options(), QStringLiteral("3"));
        QVERIFY(flux && flux->isVisible() && commandes && commandes->isVisible());
        QVERIFY(b.s.FluxActif && b.port.isOpen());

        // Clearing bit 0 unloads the flow window, but logging goes on (FluxActif stays set).
        view(b, &main, flux, commandes, QStringLiteral("BoutonValider"), 0, -1);
        QCOMPARE(b.options(), QStringLiteral("2"));
        QVERIFY(!flux && commandes && commandes->isVisible() && b.s.FluxActif);

        // A view window already open: no second one, the stored options are applied at once.
        FrmView open(b.s);
        b.setOptions(QStringLiteral("1"));
        ExecuterVue(b.s, &main, flux, commandes);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(flux && !commandes && b.s.FluxActif && !b.port.isOpen());
    }

    void storedValuesShownAndValidateStores() {
        Bench b;
        EcrireMarqueurUsine(b.dir.path());
        // An empty setting keeps the list text; a long device path is shown whole.
        const QString path = QStringLiteral("/home/operator/projects/tavoem/.demo/board");
        const QStringList keys{"PORT", "BAUD", "PARITE", "DATA", "STOP"},
            stored{path, "38400", "EVEN", "7", ""}, shown{path, "38400", "EVEN", "7", "1"};
        for (int i = 0; i < 5; ++i) b.set(keys[i], stored[i]);
        b.set("TxtSleepTwoChars", "5");
        const QByteArray before = b.generalBytes();
        {
            FrmConfigRS232 w(b.s);
            w.show();
            for (int i = 0; i < 5; ++i) QCOMPARE(list(&w, kLists[i])->currentText(), shown[i]);
            QCOMPARE(w.findChild<QLineEdit*>("TxtSleepTwoChars")->text(), QStringLiteral("5"));
            QVERIFY(w.ListePortCom->width() > w.fontMetrics().horizontalAdvance(path));
            QCOMPARE(w.ListePortCom->toolTip(), path);
            // Exit writes nothing.
            list(&w, "ListePortCom")->setEditText(QStringLiteral("/dev/pts/7"));
            w.findChild<QPushButton*>("BoutonExit")->click();
        }
        QCOMPARE(b.generalBytes(), before);
        FrmConfigRS232 w(b.s);
        list(&w, "ListePortCom")->setEditText(QStringLiteral("/dev/pts/7"));
        list(&w, "ListeBaudRate")->setEditText(QStringLiteral("115200"));
        w.findChild<QPushButton*>("BoutonValider")->click();
        QCOMPARE(b.get("PORT") + ' ' + b.get("BAUD"), QStringLiteral("/dev/pts/7 115200"));
    }

    void customerVariantShowsOnlyThePortAndWritesAllSixKeys() {
        Bench b;
        // No RS232 section yet: all six keys are written.
        QFile::remove(b.s.generalIni());
        FrmConfigRS232 w(b.s);
        for (int i = 1; i < 5; ++i) QVERIFY2(list(&w, kLists[i])->isHidden(), kLists[i]);
        QVERIFY(w.findChild<QLineEdit*>("TxtSleepTwoChars")->isHidden() &&
                !list(&w, "ListePortCom")->isHidden());
        list(&w, "ListePortCom")->setEditText(QStringLiteral("COM2"));
        w.findChild<QPushButton*>("BoutonValider")->click();
        for (const char* k :
             {"PORT=COM2", "BAUD=9600", "PARITE=NONE", "DATA=8", "STOP=1", "TxtSleepTwoChars="})
            QVERIFY2(b.generalBytes().contains(k), k);
    }

    // Settings the port cannot take are refused with a message and nothing stored.
    void unusableSettingsAreRefused_data() {
        test::columns<bool, QString, QString, QString>({"factory", "list", "typed", "message"});
        QTest::newRow("baud word") << true << "ListeBaudRate" << "fast" << "Baud Rate: \"fast\"";
        QTest::newRow("odd rate") << true << "ListeBaudRate" << "250000" << "";
        // Hidden fields: what is stored is written back as it stands.
        QTest::newRow("customer") << false << "ListeBaudRate" << "fast" << "";
    }
    void unusableSettingsAreRefused() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        test::BoardRig rig;
        if (test::fetch<bool>("factory")) EcrireMarqueurUsine(rig.dir.path());
        FrmConfigRS232 w(rig.s);
        w.findChild<QComboBox*>(test::fetch<QString>("list"))->setEditText(typed);
        const QByteArray before = test::fileBytes(rig.s.generalIni());
        w.BoutonValider_Click();
        const QByteArray after = test::fileBytes(rig.s.generalIni());
        const QStringList texts = rig.prompts.messageTexts();
        QCOMPARE(w.result() == QDialog::Accepted, message.isEmpty());
        if (message.isEmpty())
            QVERIFY(texts.isEmpty() && after.contains("=" + typed.toLatin1() + "\r\n"));
        else
            QVERIFY(texts.size() == 1 && texts[0].startsWith(message) && after == before);
    }

    void serialLinkEntryReopensOnlyForANewPort() {
        Bench b;
        EcrireMarqueurUsine(b.dir.path());
        QVERIFY(OuvrirPort(b.s));
        // Only the rate changes: the open port keeps its settings.
        test::clickInNextModal("BoutonValider", [](QWidget* m) {
            list(m, "ListeBaudRate")->setEditText(QStringLiteral("38400"));
        });
        ExecuterLiaisonSerie(b.s, nullptr);
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));
        QVERIFY(b.port.isOpen() && b.port.openCount() == 1);
        QCOMPARE(b.port.openedSettings().baud, 19200);
        // A new port: closed and opened again with the new settings.
        test::clickInNextModal("BoutonValider", [](QWidget* m) {
            list(m, "ListePortCom")->setEditText(QStringLiteral("/dev/pts/9"));
        });
        ExecuterLiaisonSerie(b.s, nullptr);
        QCOMPARE(b.port.openCount(), 2);
        QCOMPARE(b.port.openedName() + ' ' + QString::number(b.port.openedSettings().baud),
                 QStringLiteral("/dev/pts/9 38400"));
    }

    void baudRateEntryMessages() {
        Bench b;
        b.prompts.messagesAreUnexpected = false;
        QWidget main;
        main.resize(400, 300);
        DetectionPanel panel(&main);
        // Found by the scan. The caption stays centred in the lower half, clear of the menu bar
        // and of the window's centred title.
        b.set("BAUD", "9600");
        b.port.setBoardBaud(38400);
        QRect r;
        b.s.processEvents = [&] {
            if (!panel.isHidden()) r = panel.geometry();
        };
        QCOMPARE(ExecuterDetectionVitesse(b.s, panel), QStringLiteral("38400"));
        QVERIFY(qAbs(r.center().x() - 200) <= 1 && r.top() > 150 && r.bottom() < 300);
        QCOMPARE(b.prompts.messageTexts(),
                 QStringList{"Automatic Baud Rate Detection successed (Value : 38400)."});
        QCOMPARE(panel.MessageBaudRate->text() + ' ' + b.get("BAUD"), "Scan for 38400 vtl 38400");
        QVERIFY(panel.isHidden());

        // Cancel during the scan: it stops there, BAUD restored, no message.
        b.port.setBoardBaud(2400);
        b.s.processEvents = [&] { panel.BoutonAnnuler->click(); };
        QCOMPARE(ExecuterDetectionVitesse(b.s, panel), QString());
        QCOMPARE(b.prompts.messageTexts().size(), 1); // the success above only
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));
        b.s.processEvents = nullptr;

        // Trial rates that cannot be stored (a full disk: a file-size limit, binding root too):
        // one message, the settings report kept quiet, BAUD as it was.
        QCOMPARE(test::inChild([] { test::limitFileSize(1000); }, [&] {
                     SettingsFailureReport report(b.s, "TAV", nullptr);
                     const bool none = ExecuterDetectionVitesse(b.s, panel).isEmpty();
                     return none && b.prompts.messageTexts().mid(1) ==
                                        QStringList{"The detection needs to store each trial rate in " +
                                                    QDir::toNativeSeparators(b.s.generalIni()) +
                                                    ", which cannot be written: File too large."};
                 }),
                 1);
        QCOMPARE(b.get("BAUD"), QStringLiteral("38400"));

        // A missing adapter: one message naming the port, BAUD restored.
        b.prompts.clear();
        b.set("PORT", "/dev/ttyUSB3");
        b.port.setDeviceName(QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(ExecuterDetectionVitesse(b.s, panel), QString());
        const QStringList failed = b.prompts.messageTexts();
        QVERIFY(failed.size() == 1 && failed[0].contains("/dev/ttyUSB3") &&
                failed[0].startsWith("Automatic Baud Rate Detection failed."));
    }
};

QTEST_MAIN(TestLinkWindows)
#include "test_link_windows.moc"
