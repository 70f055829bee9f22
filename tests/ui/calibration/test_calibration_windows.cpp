#include "core/calibration/Calibration.h"
#include "support/Columns.h"
#include "support/Modal.h"
#include "support/PolledRig.h"
#include "ui/calibration/CalibrationMenu.h"
#include "ui/calibration/FrmAlarmsThresholds.h"
#include "ui/calibration/FrmEtalonnage.h"
#include "ui/main/FrmPrincipale.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

const QString kNotNumeric = QString::fromUtf8("Veuillez saisir une valeur numérique.");

// Calibration windows against a quiet, quick board, with a poll the tests tick by hand.
struct CalibrationRig : PolledRig {
    QPointer<FrmEtalonnage> window;

    CalibrationRig() : PolledRig(AppState::kNoWindow) {}
    ~CalibrationRig() { delete window.data(); }

    // Types the references into the next bounds window; a null minimum closes it instead.
    QString captions; // of the last bounds window: its title and its frame's
    void references(const QString& min, const QString& max) {
        inNextModal([this, min, max](QWidget* modal) {
            captions = modal->windowTitle() + '|' + modal->findChild<QGroupBox*>()->title();
            if (min.isNull()) return void(modal->close());
            modal->findChild<QLineEdit*>("TxtPinMin")->setText(min);
            modal->findChild<QLineEdit*>("TxtPinMax")->setText(max);
            modal->findChild<QPushButton*>("BoutonValider")->click();
        });
    }
    FrmEtalonnage* open(int code, const QString& min = "-30", const QString& max = "0") {
        references(min, max);
        window = static_cast<FrmEtalonnage*>(OuvrirEtalonnage(s, nullptr, *calibrationByCode(code)));
        return window.data();
    }
    QString stored(const QString& key) const {
        return LireIni(s.generalIni(), kThresholdsSection, key);
    }
};

} // namespace

class TestCalibrationWindows : public QObject {
    Q_OBJECT
private slots:
    void fullInputCalibrationFromTheMenu() {
        CalibrationRig rig;
        FrmPrincipale main(rig.s); // its poll serves the window
        {
            // Not while the control panel uses the poll.
            QWidget panel;
            main.controlPanelWindow = &panel;
            main.entry("Puissancedentree")->trigger();
            QVERIFY(!main.calibrationWindow && rig.sent().isEmpty() &&
                    rig.prompts.shown.size() == 1);
            rig.clear();
        }
        rig.references("-30", "-2.5");
        main.entry("Puissancedentree")->trigger();
        QPointer<FrmEtalonnage> w = qobject_cast<FrmEtalonnage*>(main.calibrationWindow);
        QVERIFY(w && rig.s.FenetreActive == 1 && w->objectName() == "FrmEtalonnagePIN");
        QCOMPARE(w->ReadLabel[0]->text() + ' ' + w->ReadLabel[1]->text(), "-30 -2.5");
        QCOMPARE(rig.sent(), QStringList{"ASS=1"});
        QVERIFY(main.Timer.isEnabled() && main.Timer.period() == 250);

        // Each point: the password, the write in tenths (halves to even), the A/D read.
        rig.clear();
        rig.board.setInputPower(-30);
        w->findChild<QLineEdit*>("TxtCI1")->setText("12.25");
        w->findChild<QPushButton*>("BoutonCI1")->click();
        const QString adLow = w->ReadLabel[2]->text();
        QCOMPARE(adLow, QString::number(rig.board.adValue("ADI")));
        rig.board.setInputPower(-2.5);
        w->TxtPoint[1]->setText("-3.15");
        w->BoutonPoint[1]->click();
        QCOMPARE(rig.sent(), (QStringList{"PWD=QUILTA", "CI1=122", "ADI?", "PWD=QUILTA", "CI2=-32",
                                          "ADI?"}));
        QCOMPARE(rig.board.param("AI1"), adLow.toInt());

        // Each tick reads back the validated points, high point first.
        rig.clear();
        rig.board.setParam("CI2", 123);
        main.Timer.TraiterTop();
        QCOMPARE(rig.sent(), (QStringList{"CI2?", "CI1?"}));
        QCOMPARE(w->TxtPoint[0]->text() + ' ' + w->TxtPoint[1]->text(), "12.2 12.3");
        for (QLineEdit* box : w->TxtPoint) // in sight though their frames are hidden
            QVERIFY(box->isVisible() && box->isReadOnly());

        rig.clear();
        w->BoutonExit->click();
        QCOMPARE(rig.sent(), QStringList{"ASS=0"});
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
        QVERIFY(!main.Timer.isEnabled() && main.Timer.period() == 0 && rig.port.isOpen() &&
                rig.prompts.shown.isEmpty());
        QTRY_VERIFY(!w); // deleted once closed
    }

    void openingNeedsBothReferences_data() {
        columns<QString, QString>({"min", "max"});
        QTest::newRow("cancelled") << QString() << QString();
        QTest::newRow("only the minimum") << "-30" << "";
        QTest::newRow("only the maximum") << "" << "0";
    }

    void openingNeedsBothReferences() {
        CalibrationRig rig;
        QVERIFY(!rig.open(2, fetch<QString>("min"), fetch<QString>("max")));
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
        QVERIFY(rig.sent().isEmpty() && !rig.poll.isEnabled());
    }

    void refusedPoints_data() {
        columns<int, int, QByteArray, QByteArray, QString, bool>(
            {"code", "point", "prefix", "answer", "message", "done"});
        const QString pout =
            QString::fromUtf8("La calibration POUT n'est autorisée qu'en mode administrateur.");
        QTest::newRow("CI1 protected") << 1 << 0 << QByteArray("CI1=") << QByteArray("CI1#")
            << QString::fromUtf8("La Commande CI1 a échoué. (Mode ADMINISTRATEUR obligatoire).")
            << true;
        QTest::newRow("CI1 refused") << 1 << 0 << QByteArray("CI1=") << QByteArray("CI1=ERR")
                                     << QString::fromUtf8("La Commande CI1 a échoué.") << true;
        QTest::newRow("Phs1 low, password") << 2 << 0 << QByteArray("PWD") << QByteArray("PWD=ERR")
                                            << pout << false;
        QTest::newRow("Phs2, password unanswered")
            << 3 << 1 << QByteArray("PWD") << QByteArray() << QString() << false;
    }

    void refusedPoints() {
        QFETCH(int, code);
        QFETCH(int, point);
        QFETCH(bool, done);
        CalibrationRig rig;
        FrmEtalonnage* w = rig.open(code);
        rig.clear();
        rig.refuse(fetch<QByteArray>("prefix"), fetch<QByteArray>("answer"));
        w->TxtPoint[point]->setText("-20");
        w->BoutonPoint[point]->click();
        QTEST(rig.prompts.messageTexts().join('|'), "message");
        // A refused write still marks the point done (and its A/D value is read).
        QCOMPARE(w->pointDone(point), done);
        QVERIFY(w->BoutonPoint[point]->isEnabled() != done && w->grpframe[point]->isHidden() == done);
        QCOMPARE(rig.sent().contains(QStringList{"ADI?", "ADO?", "ADS?"}[code - 1]), done);
    }

    void badEntriesSendNothing_data() {
        // byEnter: Enter in the box, or straight to the button
        columns<int, QString, bool, QString>({"point", "text", "byEnter", "message"});
        QTest::newRow("letters") << 0 << "abc" << true << kNotNumeric;
        QTest::newRow("beyond 16 bits") << 1 << "5000" << false << powerOutOfRangeText("5000");
    }

    void badEntriesSendNothing() {
        QFETCH(int, point);
        QFETCH(QString, text);
        CalibrationRig rig;
        FrmEtalonnage* w = rig.open(1);
        rig.clear();
        QLineEdit* box = w->TxtPoint[point];
        box->setText(text);
        if (fetch<bool>("byEnter"))
            QTest::keyClick(box, Qt::Key_Return);
        else
            w->BoutonPoint[point]->click();
        QTEST(rig.prompts.messageTexts().join('|'), "message");
        QVERIFY(rig.sent().isEmpty() && !w->pointDone(point));
        // A text that is not a number is emptied; a number out of range stays for correction.
        const QString kept = fetch<QString>("message") == kNotNumeric ? QString() : text;
        QCOMPARE(box->text(), kept);

        // The bounds window applies the same rule on Enter.
        rig.clear();
        inNextModal([text, kept](QWidget* modal) {
            auto* max = modal->findChild<QLineEdit*>("TxtPinMax");
            max->setText(text);
            QTest::keyClick(max, Qt::Key_Return);
            QCOMPARE(max->text(), kept);
            modal->close();
        });
        QVERIFY(!OuvrirEtalonnage(rig.s, nullptr, *calibrationByCode(1)));
        QCOMPARE(rig.prompts.messageTexts(), kept.isEmpty() ? QStringList{kNotNumeric} : QStringList());
    }

    void portFailure_data() {
        columns<int, QString, QString, PromptIcon>({"code", "text", "title", "icon"});
        const QString input = QString::fromUtf8("Calibration Puissance d'entrée");
        QTest::newRow("input, built-in text")
            << 1 << portFailureFallback() << input << PromptIcon::Information;
        QTest::newRow("Phs2") << 3
                              << QString::fromUtf8("La calibration de la puissance de sortie Phs2 a échoué.")
                              << "Calibration Phs2" << PromptIcon::Critical;
    }

    void portFailure() {
        CalibrationRig rig;
        rig.port.setOpenError("No such device");
        FrmEtalonnage* w = rig.open(fetch<int>("code"));
        QVERIFY(w && w->linkFailed());
        QTEST(rig.prompts.shown.last().text, "text");
        QTEST(rig.prompts.shown.last().title, "title");
        QTEST(rig.prompts.shown.last().icon, "icon");
        QVERIFY(!w->BoutonPoint[0]->isEnabled() && !w->BoutonPoint[1]->isEnabled() &&
                !rig.poll.isEnabled());
        // Closing sends nothing: nothing was started.
        rig.clear();
        w->close();
        QVERIFY(rig.prompts.shown.isEmpty() && rig.sent().isEmpty());
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
    }

    void modeRefusals() {
        // "ASS=1" refused: the window stays usable without the poll; "ASS=0" refused at closing.
        CalibrationRig rig;
        rig.refuse("ASS", "ASS=ERR");
        FrmEtalonnage* w = rig.open(1);
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Calibration failed."});
        QVERIFY(!rig.poll.isEnabled() && w->BoutonPoint[0]->isEnabled());
        w->close();
        QCOMPARE(rig.prompts.messageTexts().last(),
                 QString::fromUtf8("La calibration de la puissance d'entrée a échoué."));
    }

    void thresholdsWindow() {
        CalibrationRig rig;
        rig.board.setParam("IM2", 2750);
        {
            // First opening on a fresh installation: the defaults and the board's IM2.
            FrmAlarmsThresholds w(rig.s);
            QCOMPARE(w.box(0)->text() + ' ' + w.box(5)->text(), "-10 2750");
            QCOMPARE(rig.sent(), QStringList{"IM2?"});

            // Leaving a box with letters: the message, the box emptied; going to the background
            // is not leaving it.
            w.TxtTCH[0]->setText("abc");
            QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QCoreApplication::sendEvent(w.TxtTCH[0], &away);
            QVERIFY(rig.prompts.shown.isEmpty());
            QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
            QCoreApplication::sendEvent(w.TxtTCH[0], &leave);
            QCOMPARE(rig.prompts.messageTexts(), QStringList{"Value must be numeric."});
            QVERIFY(w.TxtTCH[0]->text().isEmpty());

            // OK stores the texts as they stand: an emptied box, a reversed pair.
            w.TxtIPT[0]->setText("5");
            w.TxtIPT[1]->setText("-20");
            w.Bouton[0]->click();
            QCOMPARE(w.result(), int(QDialog::Accepted));
        }
        QCOMPARE(rig.stored("TxtIPT_0") + ' ' + rig.stored("TxtIPT_1"), "5 -20");
        QCOMPARE(rig.stored("TxtTCH_0") + '|' + rig.stored("TxtLCM_1"), "|2750");
        {
            // Cancel keeps what is stored; an empty upper current bound still gets "IM2?".
            EcrireIni(rig.s.generalIni(), kThresholdsSection, "TxtLCM_1", "");
            rig.board.setParam("IM2", 2500);
            FrmAlarmsThresholds w(rig.s);
            w.TxtTCL[1]->setText("12");
            w.Bouton[1]->click();
        }
        QCOMPARE(rig.stored("TxtTCL_1") + ' ' + rig.stored("TxtLCM_1"), "-10 2500");
    }

    // The output windows: the bounds window's captions, a point's write and A/D read, and the
    // read-back of the one point validated.
    void outputWindows_data() {
        columns<int, int, QString, QStringList>({"code", "point", "captions", "sent"});
        QTest::newRow("Phs1 high")
            << 2 << 1 << "Puissance de sortie Phs1|Gamme d'utilisation de sortie Phs1 (dBm)"
            << QStringList{"PWD=QUILTA", "CO2=-200", "ADO?", "CO2?"};
        QTest::newRow("Phs2 low")
            << 3 << 0 << "Puissance de sortie Phs2|Gamme d'utilisation de sortie Phs2 (dBm)"
            << QStringList{"PWD=QUILTA", "CS1=-200", "ADS?", "CS1?"};
    }
    void outputWindows() {
        QFETCH(int, point);
        CalibrationRig rig;
        FrmEtalonnage* w = rig.open(fetch<int>("code"));
        QTEST(rig.captions, "captions");
        rig.clear();
        w->TxtPoint[point]->setText("-20");
        w->BoutonPoint[point]->click();
        rig.poll.TraiterTop();
        QTEST(rig.sent(), "sent");
    }
};

QTEST_MAIN(TestCalibrationWindows)
#include "test_calibration_windows.moc"
