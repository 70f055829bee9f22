#include "ControlRig.h"

#include "core/control/MeasurementLog.h"
#include "ui/control/Lamp.h"
#include "ui/support/Grid.h"
#include "ui/support/Slider.h"
#include "ui/support/Tabs.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

QColor base(const QLineEdit* box) {
    return box->palette().color(QPalette::Base);
}
QColor back(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}
QColor fore(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

// Types text and Enter into a box as the operator does.
void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

std::optional<QByteArray> refuse(const QByteArray& line, const QByteArray& prefix,
                                 const QByteArray& answer) {
    if (line.startsWith(prefix)) return answer;
    return std::nullopt;
}

} // namespace

class TestCtlPanel : public QObject {
    Q_OBJECT
private slots:
    void loadReadsTheBoardAndStartsThePoll() {
        ControlRig rig;
        auto w = rig.open();
        QCOMPARE(w->objectName(), QStringLiteral("FrmMenuPilotage"));
        QCOMPARE(rig.sent(), (QStringList{"SNU?", "PON?", "STS?", "ASS?"}));
        QCOMPARE(w->windowTitle(), QStringLiteral("Control Panel"));
        QCOMPARE(w->OngletPilotage->tabText(0), QStringLiteral("APC"));
        QCOMPARE(w->OngletPilotage->tabText(3), QStringLiteral("AACC"));
        QCOMPARE(w->OngletPilotage->tabText(4), QStringLiteral("Thresholds"));
        QCOMPARE(w->grplabel[11]->text(), QStringLiteral("Loss of Output Power"));
        QCOMPARE(w->grplabelWarning[0]->text(), QStringLiteral("Output Power too low in APC mode"));
        QCOMPARE(w->CheckEnregistrement->text(), QStringLiteral("Measurement Log file"));
        QCOMPARE(w->Txt[0]->toolTip(), QStringLiteral("SOP (Set output power)"));
        QCOMPARE(w->Txt[3]->toolTip(), QStringLiteral("OPM (Set power limit)"));
        QCOMPARE(w->ReadLabel[5]->toolTip(), QStringLiteral("OPM (Read power limit)"));
        QCOMPARE(w->LabelSNU->text(), QStringLiteral("TAV0001"));
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("OFF"));
        QVERIFY(!w->BoutonStart->isHidden());
        QVERIFY(w->BoutonStop->isHidden());
        QCOMPARE(w->CWSlide[2]->minimum(), -10.0);
        QCOMPARE(w->CWSlide[2]->maximum(), 0.0);
        QCOMPARE(w->CWSlide[3]->minimum(), 5.0);
        QCOMPARE(w->CWSlide[3]->maximum(), 20.5);
        QCOMPARE(w->CWSlide[1]->step(), 0.01);
        QVERIFY(w->ReadLabel[5]->isHidden()); // eye safety off: the limit row is hidden
        QVERIFY(rig.poll.isEnabled());
        QCOMPARE(rig.poll.period(), 250);
        QVERIFY(rig.poll.hasRefresh(FrmMenuPilotage::kCode));
        QVERIFY(rig.s.RafraichissementDemande);
        QVERIFY(rig.prompts.shown.isEmpty());

        // Closing: port closed, poll stopped, window code cleared, eye-safety state stored.
        w->close();
        QVERIFY(!rig.port.isOpen());
        QVERIFY(!rig.poll.isEnabled());
        QCOMPARE(rig.poll.period(), 0);
        QVERIFY(!rig.poll.hasRefresh(FrmMenuPilotage::kCode));
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
        QCOMPARE(LireIni(rig.s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety"),
                 QStringLiteral("0"));
    }

    void loadWithTheLaserRunningAndEyeSafetyStored() {
        ControlRig rig;
        rig.board.handleLine("ASS=1");
        rig.board.setParam("OPM", 150);
        EcrirIniEyeSafety(rig, "1");
        auto w = rig.open();
        QCOMPARE(rig.sent(), (QStringList{"SNU?", "PON?", "STS?", "ASS?", "OPM?", "PON?"}));
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("ON"));
        QCOMPARE(back(w->LabelStatus[0]), FrmMenuPilotage::kLightGreen);
        QVERIFY(w->BoutonStart->isHidden());
        QVERIFY(!w->BoutonStop->isHidden());
        QVERIFY(w->CheckEnregistrement->isHidden());
        for (int t = 0; t < 5; ++t)
            QCOMPARE(w->OngletPilotage->isTabEnabled(t), t == 1);
        QVERIFY(w->CheckActivateEyeSafety->isChecked());
        QVERIFY(!w->ReadLabel[5]->isHidden());
        QCOMPARE(w->CWSlide[0]->maximum(), 15.5);
        w->close();
        QCOMPARE(LireIni(rig.s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety"),
                 QStringLiteral("1"));
    }

    void linkFailureLayout_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("port") << "port";
        QTest::newRow("serial number") << "snu";
        QTest::newRow("nominal power") << "pon";
    }
    void linkFailureLayout() {
        QFETCH(QString, failure);
        ControlRig rig;
        EcrirIniEyeSafety(rig, "1");
        if (failure == "port")
            rig.port.setOpenError("Permission denied");
        else
            rig.port.responder = [failure](const QByteArray& line) -> std::optional<QByteArray> {
                if (line == (failure == "snu" ? "SNU?" : "PON?")) return QByteArray();
                return std::nullopt;
            };
        auto w = rig.open();
        QVERIFY(w->linkFailed());
        QVERIFY(!w->Message->isHidden());
        QCOMPARE(w->Message->text(), FrmMenuPilotage::kLinkFailedText);
        QVERIFY(w->OngletPilotage->isHidden());
        QVERIFY(w->BoutonStart->isHidden());
        QVERIFY(w->BoutonStop->isHidden());
        QVERIFY(w->grpframe[2]->isHidden());
        QVERIFY(w->LabelSNU->isHidden());
        QVERIFY(!w->BoutonExit->isHidden());
        QVERIFY(!rig.poll.isEnabled());
        // Only the port's own error is a message box.
        QCOMPARE(rig.prompts.shown.size(), failure == "port" ? 1 : 0);
        w->close();
        // The stored eye-safety choice survives a panel that never read it.
        QCOMPARE(LireIni(rig.s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety"),
                 QStringLiteral("1"));
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
    }

    void notOpenedFromTheMenuClosesAtOnce() {
        ControlRig rig;
        rig.s.FenetreActive = AppState::kNoWindow;
        auto w = rig.open();
        QVERIFY(rig.sent().isEmpty());
        QVERIFY(!rig.poll.isEnabled());
        w.reset();
        QVERIFY(LireIni(rig.s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety").isEmpty());
    }

    void firstTickReadsEverythingThenNineCommandsATick() {
        ControlRig rig;
        auto w = rig.open();
        rig.clear();
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent().mid(0, 9), (QStringList{"PON?", "SOP?", "PON?", "IM2?", "SDC?", "PON?",
                                                    "IPT?", "OPM?", "OPW?"}));
        QVERIFY(!rig.s.RafraichissementDemande);
        QCOMPARE(w->Txt[0]->text(), QStringLiteral("17.0"));
        QCOMPARE(w->CWSlide[0]->maximum(), 20.5);
        QCOMPARE(w->CWSlide[0]->value(), 17.0);
        QCOMPARE(w->CWSlide[0]->majorDivisions(), 10);
        QCOMPARE(w->Txt[1]->text(), QStringLiteral("1.50"));
        QCOMPARE(w->CWSlide[1]->maximum(), 3.0);
        QCOMPARE(w->CWSlide[1]->majorDivisions(), 3);
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.0"));
        QCOMPARE(w->CWSlide[2]->value(), -8.0);
        QCOMPARE(w->Txt[3]->text(), QStringLiteral("20.5"));
        QCOMPARE(LireIni(rig.s.generalIni(), "FrmAlarmsThresholds", "TxtOPT_1"),
                 QStringLiteral("20"));
        QCOMPARE(w->vaSpreadMesure->cellText(0, 1), QStringLiteral("Date"));
        QCOMPARE(w->vaSpreadMesure->cellText(0, 3), QStringLiteral("Output Power (dBm)"));
        QCOMPARE(w->vaSpreadMesure->cellText(0, 9), QStringLiteral("War"));
        QCOMPARE(w->vaSpreadAlarmes->cellText(0, 1), QStringLiteral("Loss of Output Power"));
        QCOMPARE(w->LabelDate->text(), QStringLiteral("05/12/2026"));
        QCOMPARE(w->LabelTime->text(), QStringLiteral("09:07:30"));
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightGreen);
        QCOMPARE(w->ReadLabel[2]->text(), QStringLiteral("%1").arg(rig.board.param("TC1")));
        QCOMPARE(w->ReadLabel[4]->text(), QStringLiteral("25"));
        QCOMPARE(w->ReadLabel[5]->text(), QStringLiteral("20.5"));

        rig.clear();
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?", "LDT?", "IPW?", "CAT?", "OPM?", "ALA?",
                                          "WAR?", "STS?"}));
        QCOMPARE(w->ReadLabel[3]->text(), QStringLiteral("-3"));
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("OFF"));
    }

    void fullReadFailureShowsTheMessage() {
        ControlRig rig;
        auto w = rig.open();
        rig.port.responder = [](const QByteArray& line) {
            return refuse(line, "IM2?", QByteArray());
        };
        w->TraiterTopPanneau();
        QVERIFY(w->linkFailed());
        QVERIFY(!w->Message->isHidden());
        QVERIFY(w->OngletPilotage->isHidden());
        QVERIFY(w->BoutonStart->isHidden());
    }

    void readingsFollowTheTab() {
        ControlRig rig;
        auto w = rig.openAndRead();
        rig.board.handleLine("ASS=2");
        rig.board.advanceTo(rig.clock.now() + 10000);
        w->RafraichirEtatPanneau();
        const QString power = w->ReadLabel[0]->text();
        QVERIFY(leadingNumber(power) > 10);
        QCOMPARE(w->grplabel[6]->text(), QStringLiteral("Output Power (dBm)"));

        // Current tabs swap the first two rows; captions from the English section, whatever
        // the language.
        EcrireIni(rig.s.langueIni(), "FrmMenuPilotageen", "grplabel_1", "Current (A)");
        rig.board.handleLine("ASS=1");
        rig.board.advanceTo(rig.clock.now() + 20000);
        w->OngletPilotage->setCurrentIndex(1);
        QCOMPARE(w->grplabel[6]->text(), QStringLiteral("Current (A)"));
        QCOMPARE(w->grplabel[7]->text(), QStringLiteral("Output Power (dBm)"));
        QCOMPARE(w->ReadLabel[0]->toolTip(),
                 QStringLiteral("LDC (Read Laser Diode Current Set Point)"));
        QCOMPARE(w->vaSpreadMesure->cellText(0, 3), QStringLiteral("Current (A)"));
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent().first(), QStringLiteral("LDC?"));
        QCOMPARE(w->ReadLabel[0]->text(), QStringLiteral("1.5")); // 1500 mA shown in A

        // Thresholds tab: the first two readings are left alone and not read.
        w->OngletPilotage->setCurrentIndex(4);
        QVERIFY(w->BoutonExit->isHidden());
        QVERIFY(w->BoutonStart->isHidden());
        QVERIFY(w->grpframe[2]->isHidden() || !w->grpframe[2]->isVisibleTo(w.get()));
        w->ReadLabel[0]->setText("kept");
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent(), (QStringList{"LDT?", "IPW?", "CAT?", "OPM?", "ALA?", "WAR?", "STS?"}));
        QCOMPARE(w->ReadLabel[0]->text(), QStringLiteral("kept"));

        // Back on a mode tab the "ASS?" check chooses the button.
        rig.board.handleLine("ASS=4");
        rig.clear();
        w->OngletPilotage->setCurrentIndex(2);
        QCOMPARE(rig.sent(), (QStringList{"ASS?"}));
        QVERIFY(!w->BoutonStop->isHidden());
        QVERIFY(w->BoutonStart->isHidden());
        QVERIFY(!w->BoutonExit->isHidden());
    }

    void unavailableAndMissingReadings() {
        ControlRig rig;
        auto w = rig.openAndRead();
        rig.board.setUnavailable("IPW");
        w->RafraichirEtatPanneau();
        QCOMPARE(w->ReadLabel[3]->text(), QStringLiteral("XXX"));
        QCOMPARE(back(w->ReadLabel[3]), FrmMenuPilotage::kLightRed);
        QCOMPARE(fore(w->ReadLabel[3]), QColor(Qt::white));
        rig.board.setUnavailable("IPW", false);
        w->RafraichirEtatPanneau();
        QCOMPARE(back(w->ReadLabel[3]), QColor(Qt::white));

        // A reading without answer: lamp light red, values emptied, nothing else this tick.
        QString alarm = "00000010";
        w->AfficherAlarmes(alarm);
        rig.port.responder = [](const QByteArray& line) {
            return refuse(line, "LDT?", QByteArray());
        };
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?", "LDT?", "LDT?"})); // one repeat
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightRed);
        QVERIFY(w->ReadLabel[0]->text().isEmpty());
        QVERIFY(w->LabelStatus[0]->text().isEmpty());
        QCOMPARE(w->VoyantAlarme[0]->color(), FrmMenuPilotage::kPeach);

        // No answer to ALA?: lamp red, alarms reset, warnings and state still read.
        rig.port.responder = [](const QByteArray& line) {
            return refuse(line, "ALA?", QByteArray());
        };
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent().mid(rig.sent().size() - 2), (QStringList{"WAR?", "STS?"}));
        QCOMPARE(w->Voyant->color(), FrmMenuPilotage::kLightRed);
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("OFF"));
    }

    void alarmAndWarningLamps() {
        ControlRig rig;
        auto w = rig.open();
        QString a = "00000010";
        w->AfficherAlarmes(a);
        QCOMPARE(a, QStringLiteral("0")); // only the last character remains
        QCOMPARE(w->VoyantAlarme[0]->color(), FrmMenuPilotage::kRed);
        QCOMPARE(fore(w->grplabel[11]), FrmMenuPilotage::kRed);
        QCOMPARE(back(w->grplabel[11]), FrmMenuPilotage::kTeal);
        for (int i = 1; i < 7; ++i) {
            QCOMPARE(w->VoyantAlarme[i]->color(), FrmMenuPilotage::kPeach);
            QCOMPARE(fore(w->grplabel[11 + i]), QColor(Qt::white));
        }
        QString b = "00000001";
        w->AfficherAvertissements(b);
        QCOMPARE(w->VoyantWarning[0]->color(), FrmMenuPilotage::kOrange);
        QCOMPARE(fore(w->grplabelWarning[0]), FrmMenuPilotage::kOrange);
        for (int i = 1; i < 7; ++i)
            QCOMPARE(w->VoyantWarning[i]->color(), FrmMenuPilotage::kPeach);
    }

    void typingSetPoints() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->show();
        type(w->Txt[0], "12");
        QCOMPARE(rig.sent(), (QStringList{"SOP=120"}));
        QCOMPARE(w->Txt[0]->text(), QStringLiteral("12.0"));
        QCOMPARE(w->CWSlide[0]->value(), 12.0);

        w->OngletPilotage->setCurrentIndex(1);
        rig.clear();
        type(w->Txt[1], "0.5");
        QCOMPARE(rig.sent(), (QStringList{"SDC=500"}));
        QCOMPARE(w->Txt[1]->text(), QStringLiteral("0.50"));

        // Above the slider's maximum: the maximum is sent.
        rig.clear();
        type(w->Txt[1], "7");
        QCOMPARE(rig.sent(), (QStringList{"SDC=3000"}));
        QCOMPARE(w->Txt[1]->text(), QStringLiteral("3.00"));

        // Not a number: the slider's value comes back, nothing is sent.
        rig.clear();
        type(w->Txt[1], "abc");
        QVERIFY(rig.sent().isEmpty());
        QCOMPARE(w->Txt[1]->text(), QStringLiteral("3.00"));

        // Boxes 2 and 3 turn light yellow while typed, white once sent; below the minimum the
        // minimum is sent.
        w->OngletPilotage->setCurrentIndex(4);
        rig.clear();
        QTest::keyClick(w->Txt[2], Qt::Key_1);
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::Yellow);
        QCOMPARE(base(w->Txt[2]), FrmMenuPilotage::kLightYellow);
        type(w->Txt[2], "-25");
        QCOMPARE(rig.sent(), (QStringList{"IPT=-100"}));
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-10.0"));
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::White);
        QCOMPARE(base(w->Txt[2]), QColor(Qt::white));
        // Moving through the box or leaving it types nothing: the box stays white.
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_End, Qt::Key_Shift, Qt::Key_Tab})
            QTest::keyClick(w->Txt[2], k);
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::White);
        QTest::keyClick(w->Txt[2], Qt::Key_Backspace);
        QCOMPARE(w->boxColour(2), FrmMenuPilotage::BoxColour::Yellow);

        // A number beyond any range is not a number: nothing is sent.
        w->OngletPilotage->setCurrentIndex(0);
        rig.clear();
        type(w->Txt[0], "1e999");
        QVERIFY(rig.sent().isEmpty());
        QCOMPARE(w->Txt[0]->text(), QStringLiteral("12.0"));
    }

    void refusedWrites() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // Channel 0 refused: grey, and no longer sent at start.
        rig.port.responder = [](const QByteArray& line) { return refuse(line, "SOP=", "SOP=ERR"); };
        w->Txt[0]->setText("12");
        QVERIFY(!w->EcrireConsigne(0));
        QCOMPARE(w->boxColour(0), FrmMenuPilotage::BoxColour::Grey);
        QCOMPARE(base(w->Txt[0]), FrmMenuPilotage::buttonFace());
        rig.clear();
        QVERIFY(w->DemarrerLaser(0));
        QCOMPARE(rig.sent().first(), QStringLiteral("ASS=2"));

        // Channels 1 to 3 read the board's value back.
        rig.port.responder = [](const QByteArray& line) { return refuse(line, "IPT=", "IPT#"); };
        w->Txt[2]->setText("-5");
        rig.clear();
        QVERIFY(w->EcrireConsigne(2));
        QCOMPARE(rig.sent(), (QStringList{"IPT=-50", "IPT?"}));
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.0"));
        QCOMPARE(w->CWSlide[2]->value(), -8.0);
        // ... and turn grey when the read-back is empty too.
        rig.port.responder = [](const QByteArray& line) -> std::optional<QByteArray> {
            if (line.startsWith("IPT"))
                return line.endsWith('?') ? QByteArray() : QByteArray("IPT#");
            return std::nullopt;
        };
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

        w->OngletPilotage->setCurrentIndex(4);
        rig.clear();
        QTest::keyClick(w->CWSlide[2], Qt::Key_Left);
        QCOMPARE(rig.sent(), (QStringList{"IPT=-85"}));
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.5"));
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
        QCOMPARE(w->CWSlide[0]->value(), 15.0);
        QVERIFY(w->Txt[3]->isVisible());

        // Nominal power lower than the limit caps the maximum.
        w->CheckActivateEyeSafety->setChecked(false);
        rig.board.setParam("OPM", 205);
        rig.board.setParam("PON", 12);
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QCOMPARE(w->CWSlide[0]->maximum(), 12.5);

        // Unchecked with a nominal power of 20: OPM=205, the limit 0.5 dBm above it.
        rig.board.setParam("PON", 20);
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QVERIFY(!w->CheckActivateEyeSafety->isChecked());
        QCOMPARE(rig.sent(), (QStringList{"PON?", "OPM=205", "PON?"}));
        QCOMPARE(w->Txt[3]->text(), QStringLiteral("20.5"));
        QVERIFY(!w->Txt[3]->isVisible());
        QCOMPARE(w->CWSlide[0]->maximum(), 20.5);

        // No nominal power: nothing is derived and no limit is sent.
        w->CheckActivateEyeSafety->setChecked(true);
        rig.port.responder = [](const QByteArray& line) {
            return refuse(line, "PON?", QByteArray());
        };
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QCOMPARE(rig.sent(), (QStringList{"PON?", "PON?"}));
        QCOMPARE(w->CWSlide[0]->maximum(), 20.5);
    }

    void startAndStop() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // External modes send only the start command.
        for (int tab : {2, 3}) {
            w->OngletPilotage->setCurrentIndex(tab);
            rig.clear();
            w->BoutonStart_Click();
            QCOMPARE(rig.sent().first(),
                     tab == 2 ? QStringLiteral("ASS=4") : QStringLiteral("ASS=3"));
            QVERIFY(w->BoutonStart->isHidden());
            QVERIFY(!w->BoutonStop->isHidden());
            QCOMPARE(rig.board.mode(), tab == 2 ? 4 : 3);
            for (int t = 0; t < 5; ++t)
                QCOMPARE(w->OngletPilotage->isTabEnabled(t), t == tab);
            QVERIFY(w->CheckEnregistrement->isHidden());
            rig.clear();
            w->BoutonStop_Click();
            QCOMPARE(rig.sent(), (QStringList{"ASS=0", "ALA?"}));
            QVERIFY(!w->BoutonStart->isHidden());
            QVERIFY(w->BoutonStop->isHidden());
            QVERIFY(w->LabelStatus[0]->text().isEmpty());
            QVERIFY(!w->CheckEnregistrement->isHidden());
            for (int t = 0; t < 5; ++t)
                QVERIFY(w->OngletPilotage->isTabEnabled(t));
        }
        // APC with a white box sends the set point first; the mode value is remembered.
        w->OngletPilotage->setCurrentIndex(0);
        rig.clear();
        w->BoutonStart_Click();
        QCOMPARE(rig.sent().mid(0, 2), (QStringList{"SOP=170", "ASS=2"}));
        QCOMPARE(w->modeValue(), qint16(2));
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("ON"));
        w->BoutonStop_Click();
        QVERIFY(rig.prompts.shown.isEmpty());

        // Thresholds tab.
        w->OngletPilotage->setCurrentIndex(4);
        rig.clear();
        w->BoutonStart_Click();
        QVERIFY(rig.sent().isEmpty());
        QCOMPARE(rig.prompts.messageTexts(), (QStringList{"Select APC or ACC mode."}));
        QCOMPARE(rig.prompts.shown.first().icon, PromptIcon::Information);
        QCOMPARE(rig.prompts.shown.first().title, QStringLiteral("Control Panel"));
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
        rig.port.responder = [answer](const QByteArray& line) {
            return refuse(line, "ASS=", answer);
        };
        w->BoutonStart_Click();
        QCOMPARE(rig.prompts.messageTexts(), QStringList{message});
        QCOMPARE(rig.s.LigneMesure, 1);
        QVERIFY(!w->BoutonStart->isHidden());
        QVERIFY(w->BoutonStop->isHidden());
        // A refused start leaves the panel stopped: every tab and the log box are back.
        for (int t = 0; t < 5; ++t)
            QVERIFY(w->OngletPilotage->isTabEnabled(t));
        QVERIFY(!w->CheckEnregistrement->isHidden());

        // A refused stop still returns to the stopped layout.
        rig.prompts.clear();
        w->BoutonStop_Click();
        QCOMPARE(rig.prompts.messageTexts(), QStringList{"Command « ASS =0 » failed."});
        QCOMPARE(rig.prompts.shown.first().icon, PromptIcon::Information);
        QVERIFY(!w->BoutonStart->isHidden());
    }

    void sendToBoardAndWarningReset() {
        ControlRig rig;
        auto w = rig.openAndRead();
        w->Txt[2]->setText("-5");
        w->Txt[3]->setText("18");
        bool refuseIpt = true;
        rig.port.responder = [&refuseIpt](const QByteArray& line) {
            return refuseIpt ? refuse(line, "IPT=", "IPT#") : std::nullopt;
        };
        w->BoutonSendToBoard_Click();
        QCOMPARE(rig.sent(), (QStringList{"IPT=-50", "IPT?"}));
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.0"));
        refuseIpt = false;
        rig.clear();
        w->BoutonSendToBoard_Click();
        QCOMPARE(rig.sent(), (QStringList{"IPT=-80", "OPM=180"}));
        QCOMPARE(rig.board.param("OPM"), 180);

        rig.clear();
        w->BoutonWAR_Click();
        QCOMPARE(rig.sent(), (QStringList{"WAR=0"}));
        QVERIFY(!rig.clock.sleeps.contains(2000));
        rig.port.responder = [](const QByteArray& line) { return refuse(line, "WAR=", "WAR=ERR"); };
        w->BoutonWAR_Click();
        QVERIFY(rig.clock.sleeps.contains(2000));
        QCOMPARE(w->BoutonWAR->text(), QStringLiteral("Reset Warnings"));
    }

    void measurementLog() {
        ControlRig rig;
        auto w = rig.openAndRead();
        rig.s.CompteurEnregistrement = 0;
        w->CheckEnregistrement->click();
        QCOMPARE(rig.s.NomJournal, QDir(rig.dir.path()).filePath("Results/5_12_2026_9_7"));
        QCOMPARE(rig.s.LigneMesure, 1);
        const QString path = rig.s.NomJournal + ".xls";
        // The board sends no warning answer: the ninth cell stays empty.
        rig.port.responder = [](const QByteArray& line) {
            return refuse(line, "WAR?", QByteArray());
        };
        for (int tick = 0; tick < 41; ++tick)
            w->TraiterTopPanneau();
        QCOMPARE(rig.s.LigneMesure, 3);
        QCOMPARE(w->vaSpreadMesure->lastRowWithData(), 2);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 4); // three lines and the end
        QVERIFY(lines[0].startsWith("Date\tTime\tOutput Power (dBm)\tLaser Diode Current (A)\t"));
        QVERIFY(lines[0].endsWith("Ala\tWar\t\r"));
        const QList<QByteArray> cells = lines[1].split('\t');
        QCOMPARE(cells.size(), 10);
        QCOMPARE(cells[0], QByteArray("05/12/2026"));
        QCOMPARE(cells[1], QByteArray("09:07:30"));
        QCOMPARE(cells[5], QByteArray("-3"));
        QCOMPARE(cells[7], QByteArray("00000001"));
        QVERIFY(lines[1].endsWith("00000001\t\t\r"));

        // The sheet grows by 100 rows and logging goes on without a gap.
        rig.s.LigneMesure = w->vaSpreadMesure->rowCount() + 1;
        rig.s.CompteurEnregistrement = 40;
        const int before = w->vaSpreadMesure->rowCount();
        w->TraiterTopPanneau();
        QCOMPARE(w->vaSpreadMesure->rowCount(), before + 101);
        QCOMPARE(w->vaSpreadMesure->cellText(before + 1, 1), QStringLiteral("05/12/2026"));

        // Unchecking stops the rows; closing writes the file once more when checked.
        w->CheckEnregistrement->click();
        rig.s.CompteurEnregistrement = 40;
        const int rows = w->vaSpreadMesure->lastRowWithData();
        w->TraiterTopPanneau();
        QCOMPARE(w->vaSpreadMesure->lastRowWithData(), rows);
        QVERIFY(rig.prompts.shown.isEmpty());
    }

    void logFolderThatCannotBeWritten() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // "Results" is a file: the folder can be neither created nor written.
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

private:
    static void EcrirIniEyeSafety(ControlRig& rig, const QString& v) {
        EcrireIni(rig.s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety", v);
    }
};

QTEST_MAIN(TestCtlPanel)
#include "test_ctl_panel.moc"
