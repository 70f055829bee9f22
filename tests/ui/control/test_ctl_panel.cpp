#include "ControlRig.h"

#include "ui/control/Lamp.h"
#include "ui/support/Grid.h"
#include "ui/support/Slider.h"
#include "ui/support/Tabs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

QColor back(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

// Types text and Enter into a box as the operator does.
void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// Tabs 0..4 enabled as "1", disabled as "0".
QString enabledTabs(const FrmMenuPilotage& w) {
    QString out;
    for (int t = 0; t < 5; ++t)
        out += w.OngletPilotage->isTabEnabled(t) ? u'1' : u'0';
    return out;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCtlPanel : public QObject {
    Q_OBJECT
private slots:
    void loadReadsTheBoardAndCloseStopsEverything() {
        ControlRig rig;
        auto w = rig.open();
        QCOMPARE(rig.sent(), (QStringList{"SNU?", "PON?", "STS?", "ASS?"}));
        QCOMPARE(w->LabelSNU->text(), QStringLiteral("TAV0001"));
        QVERIFY(!w->BoutonStart->isHidden() && w->BoutonStop->isHidden());
        // Threshold sliders: input range from the settings, limit up to the nominal power + 0.5.
        QCOMPARE(w->CWSlide[2]->minimum(), -10.0);
        QCOMPARE(w->CWSlide[2]->maximum(), 0.0);
        QCOMPARE(w->CWSlide[3]->maximum(), 20.5);
        QVERIFY(w->ReadLabel[5]->isHidden()); // eye safety off: the limit row is hidden
        QVERIFY(rig.poll.isEnabled() && rig.poll.hasRefresh(FrmMenuPilotage::kCode));
        QVERIFY(rig.s.RafraichissementDemande);

        w->close();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.poll.isEnabled() && !rig.poll.hasRefresh(FrmMenuPilotage::kCode));
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
        QCOMPARE(rig.eyeSafetyStored(), QStringLiteral("0"));
    }

    void loadWithTheLaserRunningAndEyeSafetyStored() {
        ControlRig rig;
        rig.board.handleLine("ASS=1");
        rig.board.setParam("OPM", 150);
        rig.storeEyeSafety("1");
        auto w = rig.open();
        QCOMPARE(rig.sent(), (QStringList{"SNU?", "PON?", "STS?", "ASS?", "OPM?", "PON?"}));
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("ON"));
        QVERIFY(w->BoutonStart->isHidden() && !w->BoutonStop->isHidden());
        QVERIFY(w->CheckEnregistrement->isHidden());
        QCOMPARE(enabledTabs(*w), QStringLiteral("01000"));
        QVERIFY(w->CheckActivateEyeSafety->isChecked());
        QVERIFY(!w->ReadLabel[5]->isHidden());
        QCOMPARE(w->CWSlide[0]->maximum(), 15.5);
        w->close();
        QCOMPARE(rig.eyeSafetyStored(), QStringLiteral("1"));
    }

    void linkFailureLayout_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("port") << "port";
        QTest::newRow("serial number") << "SNU?";
        QTest::newRow("nominal power") << "PON?";
        QTest::newRow("full read") << "IM2?";
    }
    void linkFailureLayout() {
        QFETCH(QString, failure);
        ControlRig rig;
        rig.storeEyeSafety("1");
        if (failure == "port")
            rig.port.setOpenError("Permission denied");
        else
            rig.refuse(failure.toLatin1(), {});
        auto w = rig.open();
        if (failure == "IM2?") w->TraiterTopPanneau(); // the first tick reads everything
        QVERIFY(w->linkFailed());
        QCOMPARE(w->Message->text(), FrmMenuPilotage::kLinkFailedText);
        QVERIFY(!w->Message->isHidden() && w->OngletPilotage->isHidden());
        QVERIFY(w->BoutonStart->isHidden() && w->BoutonStop->isHidden());
        QVERIFY(!w->BoutonExit->isHidden());
        QCOMPARE(rig.prompts.shown.size(), failure == "port" ? 1 : 0); // only the port's error
        w->close();
        // The stored eye-safety choice survives a panel that never read it.
        QCOMPARE(rig.eyeSafetyStored(), QStringLiteral("1"));
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
    }

    void notOpenedFromTheMenuClosesAtOnce() {
        ControlRig rig;
        rig.s.FenetreActive = AppState::kNoWindow;
        auto w = rig.open();
        QVERIFY(rig.sent().isEmpty());
        QVERIFY(!rig.poll.isEnabled());
        w.reset();
        QVERIFY(rig.eyeSafetyStored().isEmpty());
        QVERIFY(!rig.s.avantEchecPort); // no lamp left to call
    }

    void firstTickReadsEverythingThenNineCommandsATick() {
        ControlRig rig;
        auto w = rig.open();
        rig.clear();
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent().mid(0, 9), (QStringList{"PON?", "SOP?", "PON?", "IM2?", "SDC?", "PON?",
                                                    "IPT?", "OPM?", "OPW?"}));
        QVERIFY(!rig.s.RafraichissementDemande);
        QCOMPARE(w->CWSlide[0]->value(), 17.0);
        QCOMPARE(w->Txt[1]->text(), QStringLiteral("1.50"));
        QCOMPARE(w->CWSlide[1]->maximum(), 3.0);
        QCOMPARE(w->CWSlide[1]->majorDivisions(), 3);
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.0"));
        QCOMPARE(LireIni(rig.s.generalIni(), "FrmAlarmsThresholds", "TxtOPT_1"),
                 QStringLiteral("20"));
        QCOMPARE(w->LabelTime->text(), QStringLiteral("09:07:30"));
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightGreen);
        QCOMPARE(w->ReadLabel[4]->text(), QStringLiteral("25"));
        // A port failure turns the lamp red before its box shows (the hook runs first).
        QVERIFY(rig.s.avantEchecPort);
        rig.s.avantEchecPort();
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightRed);
        w->Voyant->setColor(FrmMenuPilotage::kLightGreen);

        rig.clear();
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?", "LDT?", "IPW?", "CAT?", "OPM?", "ALA?",
                                          "WAR?", "STS?"}));
        QCOMPARE(w->ReadLabel[3]->text(), QStringLiteral("-3"));
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("OFF"));
    }

    // The full read sets the output-power maximum from the limit, capped at the nominal power
    // + 0.5, whatever the load derived before.
    void fullReadCapsTheOutputPower_data() {
        QTest::addColumn<bool>("eyeSafety");
        QTest::addColumn<int>("opm");
        QTest::addColumn<int>("pon");
        QTest::addColumn<double>("maximum");
        QTest::newRow("limit below nominal") << true << 150 << 20 << 15.5;
        QTest::newRow("nominal below limit") << true << 205 << 12 << 12.5;
        QTest::newRow("eye safety off") << false << 205 << 12 << 12.5;
    }
    void fullReadCapsTheOutputPower() {
        QFETCH(bool, eyeSafety);
        QFETCH(int, opm);
        QFETCH(int, pon);
        QFETCH(double, maximum);
        ControlRig rig;
        rig.storeEyeSafety(eyeSafety ? "1" : "0");
        rig.board.setParam("OPM", opm);
        auto w = rig.open();
        rig.board.setParam("PON", pon);
        rig.board.setParam("SOP", 100);
        w->TraiterTopPanneau();
        QCOMPARE(w->CWSlide[0]->maximum(), maximum);
    }

    void readingsFollowTheTab() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // Current tabs swap the first two rows; captions from the English section, whatever
        // the language.
        EcrireIni(rig.s.langueIni(), "FrmMenuPilotageen", "grplabel_1", "Current (A)");
        rig.board.handleLine("ASS=1");
        rig.board.advanceTo(rig.clock.now() + 20000);
        w->OngletPilotage->setCurrentIndex(1);
        QCOMPARE(w->grplabel[6]->text(), QStringLiteral("Current (A)"));
        QCOMPARE(w->grplabel[7]->text(), QStringLiteral("Output Power (dBm)"));
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent().first(), QStringLiteral("LDC?"));
        QCOMPARE(w->ReadLabel[0]->text(), QStringLiteral("1.5")); // 1500 mA shown in A

        // Thresholds tab: the first two readings are read but left alone.
        w->OngletPilotage->setCurrentIndex(4);
        w->ReadLabel[0]->setText("kept");
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent(), (QStringList{"LDC?", "OPW?", "LDT?", "IPW?", "CAT?", "OPM?", "ALA?",
                                          "WAR?", "STS?"}));
        QCOMPARE(w->ReadLabel[0]->text(), QStringLiteral("kept"));
        rig.refuse("LDC?", {}); // a reading it does not show still tells a lost link
        w->RafraichirEtatPanneau();
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightRed);
        rig.port.responder = {};

        // Back on a mode tab the "ASS?" check chooses the button.
        rig.board.handleLine("ASS=4");
        rig.clear();
        w->OngletPilotage->setCurrentIndex(2);
        QCOMPARE(rig.sent(), (QStringList{"ASS?"}));
        QVERIFY(!w->BoutonStop->isHidden() && w->BoutonStart->isHidden());
    }

    // "xxx" in any case shows "XXX" on light red, every row (the power limit too) white again
    // once its value is back.
    void unavailableReading_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("restored");
        QTest::newRow("lower case") << QByteArray("IPW=xxx") << 3 << "-3";
        QTest::newRow("power limit") << QByteArray("OPM=XXX") << 5 << "20.5";
    }
    void unavailableReading() {
        QFETCH(QByteArray, answer);
        QFETCH(int, row);
        QFETCH(QString, restored);
        ControlRig rig;
        auto w = rig.openAndRead();
        rig.refuse(answer.left(3) + '?', answer);
        w->RafraichirEtatPanneau();
        QCOMPARE(w->ReadLabel[row]->text(), QStringLiteral("XXX"));
        QCOMPARE(back(w->ReadLabel[row]), FrmMenuPilotage::kLightRed);
        rig.port.responder = {};
        w->RafraichirEtatPanneau();
        QCOMPARE(back(w->ReadLabel[row]), QColor(Qt::white));
        QCOMPARE(w->ReadLabel[row]->text(), restored);
    }

    void missingReadings() {
        ControlRig rig;
        rig.storeEyeSafety("1");
        auto w = rig.openAndRead();
        w->RafraichirEtatPanneau();
        const QString limit = w->ReadLabel[5]->text();
        QVERIFY(!limit.isEmpty());
        QString alarm = "00000010";
        w->AfficherAlarmes(alarm);
        QCOMPARE(w->VoyantAlarme[0]->color(), FrmMenuPilotage::kRed);

        // A reading without answer: lamp light red, readings 0 to 4 and the state emptied, the
        // limit kept, nothing else this tick.
        rig.refuse("LDT?", {});
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?", "LDT?", "LDT?"})); // one repeat
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightRed);
        for (int i = 0; i < 5; ++i)
            QVERIFY2(w->ReadLabel[i]->text().isEmpty(), qPrintable(QString::number(i)));
        QCOMPARE(w->ReadLabel[5]->text(), limit);
        QVERIFY(w->LabelStatus[0]->text().isEmpty());
        QCOMPARE(w->VoyantAlarme[0]->color(), FrmMenuPilotage::kPeach);

        // No answer to ALA?: lamp red, warnings and state still read.
        rig.refuse("ALA?", {});
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent().mid(rig.sent().size() - 2), (QStringList{"WAR?", "STS?"}));
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightRed);
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("OFF"));
    }

    // Enter sends a number within the slider's range and says when a bound replaced it; text
    // that is no number is replaced by the slider's value and the box gets back its colour.
    void typingSetPoints_data() {
        using C = FrmMenuPilotage::BoxColour;
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("box");
        QTest::addColumn<C>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent"); // empty: nothing
        QTest::addColumn<QString>("shown");
        QTest::addColumn<C>("after");
        QTest::addColumn<QString>("notice");
        const QString notNumber = "not a number: value kept";
        QTest::newRow("power") << 0 << 0 << C::White << "12" << "SOP=120" << "12.0" << C::White
                               << "";
        QTest::newRow("current") << 1 << 1 << C::Grey << "0.5" << "SDC=500" << "0.50" << C::White
                                 << "";
        QTest::newRow("above the maximum") << 1 << 1 << C::White << "7" << "SDC=3000" << "3.00"
                                           << C::White << "limited to 0.00 \u2026 3.00";
        QTest::newRow("below the minimum") << 4 << 2 << C::Grey << "-25" << "IPT=-100" << "-10.0"
                                           << C::White << "limited to -10.0 \u2026 0.0";
        QTest::newRow("not a number") << 1 << 1 << C::White << "abc" << "" << "1.50" << C::White
                                      << notNumber;
        QTest::newRow("beyond any range") << 0 << 0 << C::White << "1e999" << "" << "17.0"
                                          << C::White << notNumber;
        QTest::newRow("threshold, white") << 4 << 2 << C::White << "abc" << "" << "-8.0"
                                          << C::White << notNumber;
        QTest::newRow("threshold, grey") << 4 << 3 << C::Grey << "x" << "" << "20.5" << C::Grey
                                         << notNumber;
    }
    void typingSetPoints() {
        using C = FrmMenuPilotage::BoxColour;
        QFETCH(int, tab);
        QFETCH(int, box);
        QFETCH(C, before);
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QFETCH(QString, shown);
        QFETCH(C, after);
        QFETCH(QString, notice);
        ControlRig rig;
        rig.storeEyeSafety("1");
        auto w = rig.openAndRead();
        w->show();
        w->OngletPilotage->setCurrentIndex(tab);
        w->setBoxColour(box, before);
        rig.clear();
        type(w->Txt[box], typed);
        QCOMPARE(rig.sent(), sent.isEmpty() ? QStringList() : QStringList{sent});
        QCOMPARE(w->Txt[box]->text(), shown);
        QCOMPARE(w->CWSlide[box]->value(), shown.toDouble());
        QCOMPARE(w->boxColour(box), after);
        QCOMPARE(w->notice(box), notice);
    }

    void thresholdBoxesShowWhatIsNotSent() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->show();
        w->OngletPilotage->setCurrentIndex(4);
        QTest::keyClick(w->Txt[2], Qt::Key_1);
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::Yellow);
        type(w->Txt[2], "-5");
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::White);
        // Moving through the box or leaving it types nothing.
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_End, Qt::Key_Shift, Qt::Key_Tab})
            QTest::keyClick(w->Txt[2], k);
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::White);
        QTest::keyClick(w->Txt[2], Qt::Key_Backspace);
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::Yellow);
    }

    void refusedWrites() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // Channel 0 refused: grey, and no longer sent at start.
        rig.refuse("SOP=", "SOP=ERR");
        w->Txt[0]->setText("12");
        QVERIFY(!w->EcrireConsigne(0));
        QCOMPARE(w->boxColour(0), FrmMenuPilotage::BoxColour::Grey);
        // Channels 1 to 3 read the board's value back ...
        rig.refuse("IPT=", "IPT#");
        w->Txt[2]->setText("-5");
        rig.clear();
        QVERIFY(w->EcrireConsigne(2));
        QCOMPARE(rig.sent(), (QStringList{"IPT=-50", "IPT?"}));
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.0"));
        QCOMPARE(w->CWSlide[2]->value(), -8.0);
        // ... and turn grey when the read-back is empty too.
        rig.refuse("IPT", {});
        QVERIFY(!w->EcrireConsigne(2));
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::Grey);
    }

    void slidersWriteOnOperatorMoves() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->show();
        w->CWSlide[0]->setMinimum(5);
        w->CWSlide[0]->setFocus();
        QTest::keyClick(w->CWSlide[0], Qt::Key_Right);
        QCOMPARE(w->CWSlide[0]->minimum(), 0.0);
        QCOMPARE(w->Txt[0]->text(), QStringLiteral("17.1"));
        QCOMPARE(rig.sent(), (QStringList{"SOP=171"}));
        // Values set by the program write nothing.
        rig.clear();
        w->CWSlide[2]->setValue(-9);
        QVERIFY(rig.sent().isEmpty());
    }

    void eyeSafety() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->show();
        w->OngletPilotage->setCurrentIndex(4);
        rig.board.setParam("OPM", 150);
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QCOMPARE(rig.sent(), (QStringList{"OPM?", "PON?"}));
        QCOMPARE(w->CWSlide[0]->maximum(), 15.5);
        QCOMPARE(w->Txt[0]->text(), QStringLiteral("15.0"));
        QVERIFY(w->Txt[3]->isVisible());

        // Unchecked with a nominal power of 20: the limit 0.5 dBm above it, written to the board.
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QCOMPARE(rig.sent(), (QStringList{"PON?", "OPM=205", "PON?"}));
        QCOMPARE(rig.board.param("OPM"), 205);
        QCOMPARE(w->Txt[3]->text(), QStringLiteral("20.5"));
        QVERIFY(!w->Txt[3]->isVisible());
        QCOMPARE(w->CWSlide[0]->maximum(), 20.5);

        // A refused limit is not shown as set.
        w->CheckActivateEyeSafety->setChecked(true);
        w->Txt[3]->setText("1.0");
        rig.refuse("OPM=", "OPM=ERR");
        w->CheckActivateEyeSafety->click();
        QCOMPARE(w->Txt[3]->text(), QStringLiteral("1.0"));

        // No nominal power: nothing is derived and no limit is sent.
        w->CheckActivateEyeSafety->setChecked(true);
        rig.refuse("PON?", {});
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QCOMPARE(rig.sent(), (QStringList{"PON?", "PON?"}));
        QCOMPARE(w->CWSlide[0]->maximum(), 20.5);
    }

    void startAndStop_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<bool>("grey"); // the tab's set-point box refused before
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<int>("mode");
        QTest::newRow("APC") << 0 << false << QStringList{"SOP=170", "ASS=2"} << 2;
        QTest::newRow("APC grey") << 0 << true << QStringList{"ASS=2"} << 2;
        QTest::newRow("ACC") << 1 << false << QStringList{"SDC=1500", "ASS=1"} << 1;
        QTest::newRow("ACC grey") << 1 << true << QStringList{"ASS=1"} << 1;
        QTest::newRow("AAPC") << 2 << false << QStringList{"ASS=4"} << 4;
        QTest::newRow("AACC") << 3 << false << QStringList{"ASS=3"} << 3;
    }
    void startAndStop() {
        QFETCH(int, tab);
        QFETCH(bool, grey);
        QFETCH(QStringList, sent);
        QFETCH(int, mode);
        ControlRig rig;
        auto w = rig.openAndRead();
        w->OngletPilotage->setCurrentIndex(tab);
        if (grey) w->setBoxColour(tab, FrmMenuPilotage::BoxColour::Grey);
        rig.clear();
        w->BoutonStart_Click();
        QCOMPARE(rig.sent().mid(0, sent.size()), sent);
        QCOMPARE(rig.board.mode(), mode);
        QCOMPARE(w->modeValue(), qint16(mode));
        QVERIFY(w->BoutonStart->isHidden() && !w->BoutonStop->isHidden());
        QString only(5, u'0');
        only[tab] = u'1';
        QCOMPARE(enabledTabs(*w), only);
        QVERIFY(w->CheckEnregistrement->isHidden());
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("ON"));

        rig.clear();
        w->BoutonStop_Click();
        QCOMPARE(rig.sent(), (QStringList{"ASS=0", "ALA?"}));
        QVERIFY(!w->BoutonStart->isHidden() && w->BoutonStop->isHidden());
        QVERIFY(w->LabelStatus[0]->text().isEmpty());
        QVERIFY(!w->CheckEnregistrement->isHidden());
        QCOMPARE(enabledTabs(*w), QStringLiteral("11111"));
        QVERIFY(rig.prompts.shown.isEmpty());
    }

    void startOnTheThresholdsTab() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->OngletPilotage->setCurrentIndex(4);
        w->BoutonStart_Click();
        QVERIFY(rig.sent().isEmpty());
        QCOMPARE(rig.prompts.messageTexts(), (QStringList{"Select APC or ACC mode."}));
    }

    void refusedStartsAndStops_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("user mode") << QByteArray("ASS#") << "Command failed in User mode";
        QTest::newRow("refused") << QByteArray("ASS=ERR") << "Command failed";
        QTest::newRow("silent") << QByteArray() << "Command failed";
    }
    void refusedStartsAndStops() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, message);
        ControlRig rig;
        auto w = rig.openAndRead();
        w->OngletPilotage->setCurrentIndex(1);
        w->CheckEnregistrement->setChecked(true);
        rig.s.LigneMesure = 7;
        rig.refuse("ASS=", answer);
        w->BoutonStart_Click();
        QCOMPARE(rig.prompts.messageTexts(), QStringList{message});
        QCOMPARE(rig.s.LigneMesure, 1);
        // A refused start leaves the panel stopped: every tab and the log box are back.
        QVERIFY(!w->BoutonStart->isHidden() && w->BoutonStop->isHidden());
        QCOMPARE(enabledTabs(*w), QStringLiteral("11111"));
        QVERIFY(!w->CheckEnregistrement->isHidden());

        // A refused stop still returns to the stopped layout.
        rig.prompts.clear();
        w->BoutonStop_Click();
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Command « ASS =0 » failed."});
        QVERIFY(!w->BoutonStart->isHidden());
    }

    void sendToBoardAndWarningReset() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->Txt[2]->setText("-5");
        w->Txt[3]->setText("18");
        rig.refuse("IPT=", "IPT#");
        w->BoutonSendToBoard_Click(); // stops at the first refusal
        QCOMPARE(rig.sent(), (QStringList{"IPT=-50", "IPT?"}));
        rig.port.responder = {};
        rig.clear();
        w->BoutonSendToBoard_Click();
        QCOMPARE(rig.sent(), (QStringList{"IPT=-80", "OPM=180"}));
        QCOMPARE(rig.board.param("OPM"), 180);

        rig.clear();
        w->BoutonWAR_Click();
        QCOMPARE(rig.sent(), (QStringList{"WAR=0"}));
        QVERIFY(!rig.clock.sleeps.contains(2000));
        rig.refuse("WAR=", "WAR=ERR");
        w->BoutonWAR_Click();
        QVERIFY(rig.clock.sleeps.contains(2000));
    }

    void measurementLog() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->vaSpreadMesure->setCellText(5, 2, "left from before");
        rig.s.CompteurEnregistrement = 0;
        w->CheckEnregistrement->click();
        QCOMPARE(w->vaSpreadMesure->lastRowWithData(), 0); // a start clears the sheet
        QCOMPARE(rig.s.NomJournal, QDir(rig.dir.path()).filePath("Results/5_12_2026_9_7"));
        QCOMPARE(rig.s.LigneMesure, 1);
        const QString path = rig.s.NomJournal + ".xls";
        rig.refuse("WAR?", {}); // no warning answer: the ninth cell stays empty
        for (int tick = 0; tick < 41; ++tick)
            w->TraiterTopPanneau();
        QCOMPARE(rig.s.LigneMesure, 3);
        const QList<QByteArray> lines = readFile(path).split('\n');
        QCOMPARE(lines.size(), 4); // three lines and the end
        QVERIFY(lines[0].startsWith("Date\tTime\tOutput Power (dBm)\tLaser Diode Current (A)\t"));
        QVERIFY(lines[0].endsWith("Ala\tWar\t\r"));
        const QList<QByteArray> cells = lines[1].split('\t');
        QCOMPARE(cells.size(), 10);
        QCOMPARE(cells[0], QByteArray("05/12/2026"));
        QCOMPARE(cells[1], QByteArray("09:07:30"));
        QCOMPARE(cells[5], QByteArray("-3"));
        QVERIFY(lines[1].endsWith("00000001\t\t\r"));

        // The sheet grows by 100 rows and logging goes on without a gap.
        rig.s.LigneMesure = w->vaSpreadMesure->rowCount() + 1;
        rig.s.CompteurEnregistrement = 40;
        const int before = w->vaSpreadMesure->rowCount();
        w->TraiterTopPanneau();
        QCOMPARE(w->vaSpreadMesure->rowCount(), before + 101);
        QCOMPARE(w->vaSpreadMesure->cellText(before + 1, 1), QStringLiteral("05/12/2026"));

        // Closing writes the file one last time.
        w->vaSpreadMesure->setCellText(1, 9, "at close");
        w->close();
        QVERIFY(readFile(path).contains("at close"));
        QVERIFY(rig.prompts.shown.isEmpty());
    }

    void logFolderThatCannotBeWritten() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // "Results" is a file: the folder can be neither created nor written, even by root.
        QFile blocker(QDir(rig.dir.path()).filePath("Results"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        rig.s.CompteurEnregistrement = 0;
        w->CheckEnregistrement->click();
        w->TraiterTopPanneau();
        rig.s.CompteurEnregistrement = 40;
        w->TraiterTopPanneau();
        QCOMPARE(rig.s.LigneMesure, 3);        // the panel goes on
        QCOMPARE(rig.prompts.shown.size(), 1); // reported once
        QCOMPARE(rig.prompts.shown.first().icon, PromptIcon::Critical);
        QVERIFY(rig.prompts.shown.first().text.contains("Results"));
    }

    void closingDuringATickIsSafe() {
        ControlRig rig;
        auto w = rig.openAndRead();
        auto* raw = w.release();
        raw->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<FrmMenuPilotage> guard(raw);
        int pumps = 0;
        rig.s.processEvents = [&] {
            if (++pumps == 3) raw->close(); // the operator closes the window between two readings
        };
        rig.clear();
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?"}));
        QVERIFY(!rig.port.isOpen());
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
        QVERIFY(guard); // deleted only once the tick has returned
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!guard);
    }

    // Rows stay under a header that names their columns: an existing header is kept, and a new
    // one goes before the next row when the order changes or a laser start goes back to row 1.
    void logRowsStayUnderTheirHeader() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->CheckEnregistrement->click();
        const auto row = [&](int r) { return w->vaSpreadMesure->cellText(r, 3); };
        const auto tick = [&] {
            rig.s.CompteurEnregistrement = 0;
            w->RafraichirEtatPanneau();
        };
        tick();
        w->OngletPilotage->setCurrentIndex(1);
        QCOMPARE(row(0), QStringLiteral("Output Power (dBm)"));
        tick();
        tick();
        QCOMPARE(row(2), QStringLiteral("Laser Diode Current (A)"));
        QCOMPARE(w->vaSpreadMesure->cellText(2, 1), QStringLiteral("Date"));
        QCOMPARE(rig.s.LigneMesure, 5);
        w->BoutonStart->click();
        QCOMPARE(rig.s.LigneMesure, 1);
        tick();
        QCOMPARE(w->vaSpreadMesure->cellText(1, 1), QStringLiteral("Date"));
        QCOMPARE(row(1), QStringLiteral("Laser Diode Current (A)"));
        QCOMPARE(rig.s.LigneMesure, 3);
        QFile f(rig.s.NomJournal + ".xls");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readLine().startsWith("Date\tTime\tOutput Power (dBm)\t"));
    }
};

QTEST_MAIN(TestCtlPanel)
#include "test_ctl_panel.moc"
