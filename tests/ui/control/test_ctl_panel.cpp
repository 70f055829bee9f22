#include "ControlRig.h"

#include "support/Columns.h"

#include "ui/control/Lamp.h"
#include "ui/support/Grid.h"
#include "ui/support/Slider.h"
#include "ui/support/Tabs.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace tav;
using namespace tav::test;
using W = FrmMenuPilotage;
using C = FrmMenuPilotage::BoxColour;

namespace {

// Types text and Enter into a box as the operator does.
void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// The start and stop buttons, the log box and the tabs (enabled "1", disabled "0") as one text.
QString layout(const W& w) {
    const bool start = !w.BoutonStart->isHidden(), stop = !w.BoutonStop->isHidden();
    QString out = start == stop ? "both?" : start ? "start" : "stop";
    out += w.CheckEnregistrement->isHidden() ? " " : " log ";
    for (int t = 0; t < 5; ++t)
        out += w.OngletPilotage->isTabEnabled(t) ? u'1' : u'0';
    return out;
}

} // namespace

class TestCtlPanel : public QObject {
    Q_OBJECT
private slots:
    void openingAndClosing_data() {
        // running: the board in ACC, limit 15, eye safety stored
        columns<bool, QStringList, QString>({"running", "sent", "layout"});
        QTest::newRow("stopped") << false << QStringList{"SNU?", "PON?", "STS?", "ASS?"}
                                 << "start log 11111";
        QTest::newRow("running") << true
                                 << QStringList{"SNU?", "PON?", "STS?", "ASS?", "OPM?", "PON?"}
                                 << "stop 01000";
    }
    void openingAndClosing() {
        QFETCH(bool, running);
        ControlRig rig;
        rig.storeEyeSafety(running ? "1" : "0");
        // The serial flow is logged when bit 0 of the view options is set.
        EcrireIni(rig.s.langueIni(), "ValueSupervision", "CheckOptions", running ? "3" : "2");
        rig.s.FluxActif = !running;
        if (running) {
            rig.board.handleLine("ASS=1");
            rig.board.setParam("OPM", 150);
        }
        auto w = rig.open();
        QTEST(rig.sent(), "sent");
        QTEST(layout(*w), "layout");
        QCOMPARE(w->OngletPilotage->currentIndex(), 0); // a disabled tab shown stays
        QCOMPARE(rig.s.FluxActif, running);
        QCOMPARE(w->LabelSNU->text(), QStringLiteral("TAV0001"));
        QCOMPARE(w->LabelStatus[0]->text(), running ? "ON" : "OFF");
        QCOMPARE(w->CheckActivateEyeSafety->isChecked(), running);
        QCOMPARE(w->ReadLabel[5]->isHidden(), !running); // the limit row
        if (running) QCOMPARE(w->CWSlide[0]->maximum(), 15.5);
        // Threshold sliders: input range from the settings, limit up to the nominal power + 0.5.
        QVERIFY(w->CWSlide[2]->minimum() == -10 && w->CWSlide[2]->maximum() == 0);
        QCOMPARE(w->CWSlide[3]->maximum(), 20.5);
        QVERIFY(rig.poll.isEnabled() && rig.poll.hasRefresh(W::kCode) && rig.s.RafraichissementDemande);

        w->close();
        QVERIFY(!rig.port.isOpen() && !rig.poll.isEnabled() && !rig.poll.hasRefresh(W::kCode));
        QCOMPARE(rig.eyeSafetyStored(), running ? "1" : "0");
    }

    void linkFailureLayout_data() {
        columns<QString>({"failure"});
        for (const char* f : {"port", "SNU?", "PON?", "IM2?", "late", "PON=abc"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void linkFailureLayout() {
        QFETCH(QString, failure);
        ControlRig rig;
        rig.storeEyeSafety("1");
        // A board that answers too late, or with something else than a number, is told apart.
        const bool answers = failure == "late" || failure == "PON=abc";
        if (failure == "port")
            rig.port.setOpenError("Permission denied");
        else if (failure == "late")
            rig.port.setAnswerDelay(1000);
        else if (failure == "PON=abc")
            rig.refuse("PON?", "PON=abc");
        else
            rig.refuse(failure.toLatin1(), {});
        auto w = rig.open();
        if (failure == "IM2?") w->TraiterTopPanneau(); // the first tick reads everything
        QVERIFY(w->linkFailed());
        QCOMPARE(w->Message->text(), answers ? w->unreadableAnswersText() : W::kLinkFailedText);
        QVERIFY(w->Message->text().contains(failure == "late" ? "ms after a command"
                                                              : "PON? (\"abc\")") == answers);
        QVERIFY(!w->Message->isHidden() && w->OngletPilotage->isHidden());
        QVERIFY(w->BoutonStart->isHidden() && w->BoutonStop->isHidden() && !w->BoutonExit->isHidden());
        QCOMPARE(rig.prompts.shown.size(), failure == "port" ? 1 : 0); // only the port's error
        w->close();
        // The stored eye-safety choice survives a panel that never read it.
        QCOMPARE(rig.eyeSafetyStored(), QStringLiteral("1"));
        QCOMPARE(rig.s.FenetreActive, AppState::kNoWindow);
    }

    void notOpenedFromTheMenuClosesAtOnce() {
        ControlRig rig;
        rig.s.FenetreActive = AppState::kNoWindow;
        rig.open().reset();
        QVERIFY(rig.sent().isEmpty() && !rig.poll.isEnabled() && rig.eyeSafetyStored().isEmpty());
        QVERIFY(!rig.s.avantEchecPort); // no lamp left to call
    }

    void firstTickReadsEverythingThenNineCommandsATick() {
        ControlRig rig;
        auto w = rig.open();
        rig.clear();
        rig.refuse("IPT?", "IPT=xxx"); // a set point the board cannot give
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent().mid(0, 9), (QStringList{"PON?", "SOP?", "PON?", "IM2?", "SDC?", "PON?",
                                                    "IPT?", "OPM?", "OPW?"}));
        QVERIFY(!rig.s.RafraichissementDemande);
        QCOMPARE(w->CWSlide[0]->value(), 17.0);
        QCOMPARE(w->Txt[1]->text() + ' ' + w->Txt[2]->text(), QStringLiteral("1.50 XXX"));
        QVERIFY(w->CWSlide[1]->maximum() == 3 && w->CWSlide[1]->majorDivisions() == 3);
        QCOMPARE(LireIni(rig.s.generalIni(), "FrmAlarmsThresholds", "TxtOPT_1"), "20");
        QCOMPARE(w->LabelTime->text() + ' ' + w->ReadLabel[4]->text(), QStringLiteral("09:07:30 25"));
        QCOMPARE(w->Voyant->color(), W::kLightGreen);
        // A port failure turns the lamp red before its box shows (the hook runs first).
        QVERIFY(rig.s.avantEchecPort);
        rig.s.avantEchecPort();
        QCOMPARE(w->Voyant->color(), W::kLightRed);

        rig.clear();
        rig.poll.TraiterTop();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?", "LDT?", "IPW?", "CAT?", "OPM?", "ALA?",
                                          "WAR?", "STS?"}));
        QCOMPARE(w->ReadLabel[3]->text() + ' ' + w->LabelStatus[0]->text(), QStringLiteral("-3 OFF"));
    }

    // The full read sets the output-power maximum from the limit, capped at the nominal power
    // + 0.5, whatever the load derived before.
    void fullReadCapsTheOutputPower_data() {
        columns<bool, int, int, double>({"eyeSafety", "opm", "pon", "maximum"});
        QTest::newRow("limit below nominal") << true << 150 << 20 << 15.5;
        QTest::newRow("nominal below limit") << true << 205 << 12 << 12.5;
        QTest::newRow("eye safety off") << false << 205 << 12 << 12.5;
    }
    void fullReadCapsTheOutputPower() {
        ControlRig rig;
        rig.storeEyeSafety(fetch<bool>("eyeSafety") ? "1" : "0");
        rig.board.setParam("OPM", fetch<int>("opm"));
        auto w = rig.open();
        rig.board.setParam("PON", fetch<int>("pon"));
        rig.board.setParam("SOP", 100);
        w->TraiterTopPanneau();
        QTEST(w->CWSlide[0]->maximum(), "maximum");
    }

    void readingsFollowTheTab() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // Current tabs swap the first two rows, captioned from the English section in any language.
        EcrireIni(rig.s.langueIni(), "FrmMenuPilotageen", "grplabel_1", "Current (A)");
        rig.board.handleLine("ASS=1");
        rig.board.advanceTo(rig.clock.now() + 20000);
        w->OngletPilotage->setCurrentIndex(1);
        QCOMPARE(w->grplabel[6]->text() + '|' + w->grplabel[7]->text(),
                 QStringLiteral("Current (A)|Output Power (dBm)"));
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
        rig.refuse("LDC?", "LDC=4x"); // no number, even where not shown, is no answer
        w->RafraichirEtatPanneau();
        QCOMPARE(w->Voyant->color(), W::kLightRed);
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
        columns<QByteArray, int, QString>({"answer", "row", "restored"});
        QTest::newRow("lower case") << QByteArray("IPW=xxx") << 3 << "-3";
        QTest::newRow("power limit") << QByteArray("OPM=XXX") << 5 << "20.5";
    }
    void unavailableReading() {
        QFETCH(QByteArray, answer);
        QFETCH(int, row);
        ControlRig rig;
        auto w = rig.openAndRead();
        const auto back = [&] { return w->ReadLabel[row]->palette().color(QPalette::Window); };
        rig.refuse(answer.left(3) + '?', answer);
        w->RafraichirEtatPanneau();
        QCOMPARE(w->ReadLabel[row]->text(), QStringLiteral("XXX"));
        QCOMPARE(back(), W::kLightRed);
        rig.port.responder = {};
        w->RafraichirEtatPanneau();
        QCOMPARE(back(), QColor(Qt::white));
        QTEST(w->ReadLabel[row]->text(), "restored");
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
        QCOMPARE(w->VoyantAlarme[0]->color(), W::kRed);

        // A reading without answer: lamp light red, readings 0 to 4 and the state emptied, the
        // limit kept, nothing else this tick.
        rig.refuse("LDT?", {});
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent(), (QStringList{"OPW?", "LDC?", "LDT?", "LDT?"})); // one repeat
        QCOMPARE(w->Voyant->color(), W::kLightRed);
        QStringList readings;
        for (const QLabel* l : w->ReadLabel)
            readings << l->text();
        QCOMPARE(readings.join(u'|') + w->LabelStatus[0]->text(), "|||||" + limit);
        QCOMPARE(w->VoyantAlarme[0]->color(), W::kPeach);

        // No answer to ALA?: lamp red, warnings and state still read.
        rig.refuse("ALA?", {});
        rig.clear();
        w->RafraichirEtatPanneau();
        QCOMPARE(rig.sent().mid(rig.sent().size() - 2), (QStringList{"WAR?", "STS?"}));
        QCOMPARE(w->Voyant->color(), W::kLightRed);
        QCOMPARE(w->LabelStatus[0]->text(), QStringLiteral("OFF"));
    }

    // Enter sends a number within the slider's range and says when a bound replaced it; text
    // that is no number is replaced by the slider's value and the box gets back its colour.
    void typingSetPoints_data() {
        columns<int, int, C, QString, QStringList, QString, C, QString>(
            {"tab", "box", "before", "typed", "sent", "shown", "after", "notice"});
        const QString nan = "not a number: value kept";
        const QStringList none;
        QTest::newRow("current") << 1 << 1 << C::Grey << "0.5" << QStringList{"SDC=500"} << "0.50"
                                 << C::White << "";
        QTest::newRow("above the maximum") << 1 << 1 << C::White << "7" << QStringList{"SDC=3000"}
                                           << "3.00" << C::White << "limited to 0.00 \u2026 3.00";
        QTest::newRow("below the minimum") << 4 << 2 << C::Grey << "-25" << QStringList{"IPT=-100"}
                                           << "-10.0" << C::White << "limited to -10.0 \u2026 0.0";
        QTest::newRow("not a number")
            << 1 << 1 << C::White << "abc" << none << "1.50" << C::White << nan;
        QTest::newRow("threshold, grey")
            << 4 << 3 << C::Grey << "x" << none << "20.5" << C::Grey << nan;
    }
    void typingSetPoints() {
        QFETCH(int, box);
        QFETCH(QString, shown);
        ControlRig rig;
        rig.storeEyeSafety("1");
        auto w = rig.openAndRead();
        w->show();
        w->OngletPilotage->setCurrentIndex(fetch<int>("tab"));
        w->setBoxColour(box, fetch<C>("before"));
        rig.clear();
        type(w->Txt[box], fetch<QString>("typed"));
        QTEST(rig.sent(), "sent");
        QCOMPARE(w->Txt[box]->text(), shown);
        QCOMPARE(w->CWSlide[box]->value(), shown.toDouble());
        QTEST(w->boxColour(box), "after");
        QTEST(w->notice(box), "notice");
    }

    void refusedWritesAndWarningReset() {
        ControlRig rig;
        auto w = rig.openAndRead();
        // Channel 0 refused: grey, and no longer sent at start.
        rig.refuse("SOP=", "SOP=ERR");
        w->Txt[0]->setText("12");
        QVERIFY(!w->EcrireConsigne(0));
        QCOMPARE(w->boxColour(0), C::Grey);
        // Channels 1 to 3 read the board's value back; "Send to board" stops at that refusal ...
        rig.refuse("IPT=", "IPT#");
        w->Txt[2]->setText("-5");
        w->Txt[3]->setText("18");
        rig.clear();
        w->BoutonSendToBoard_Click();
        QCOMPARE(rig.sent(), (QStringList{"IPT=-50", "IPT?"}));
        QCOMPARE(w->Txt[2]->text(), QStringLiteral("-8.0"));
        // ... and turn grey when the read-back is empty too.
        rig.refuse("IPT", {});
        QVERIFY(!w->EcrireConsigne(2));
        QCOMPARE(w->boxColour(2), C::Grey);
        rig.port.responder = {};
        rig.clear();
        w->BoutonSendToBoard_Click();
        QCOMPARE(rig.sent(), (QStringList{"IPT=-80", "OPM=180"}));
        QCOMPARE(rig.board.param("OPM"), 180);

        // A refused warning reset pauses 2 s.
        w->BoutonWAR_Click();
        QVERIFY(rig.sent().last() == "WAR=0" && !rig.clock.sleeps.contains(2000));
        rig.refuse("WAR=", "WAR=ERR");
        w->BoutonWAR_Click();
        QVERIFY(rig.clock.sleeps.contains(2000));
    }

    // Only what the operator does writes; a threshold box shows what it has not sent.
    void operatorEdits() {
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

        w->OngletPilotage->setCurrentIndex(4);
        QTest::keyClick(w->Txt[2], Qt::Key_1);
        QCOMPARE(w->boxColour(2), C::Yellow);
        type(w->Txt[2], "-5");
        QCOMPARE(w->boxColour(2), C::White);
        // Moving through the box or leaving it types nothing.
        for (Qt::Key k : {Qt::Key_Left, Qt::Key_End, Qt::Key_Shift, Qt::Key_Tab})
            QTest::keyClick(w->Txt[2], k);
        QCOMPARE(w->boxColour(2), C::White);
        QTest::keyClick(w->Txt[2], Qt::Key_Backspace);
        QCOMPARE(w->boxColour(2), C::Yellow);
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
        QVERIFY(w->Txt[0]->text() == "15.0" && w->Txt[3]->isVisible());

        // Unchecked with a nominal power of 20: the limit 0.5 dBm above it, written to the board.
        rig.clear();
        w->CheckActivateEyeSafety->click();
        QCOMPARE(rig.sent(), (QStringList{"PON?", "OPM=205", "PON?"}));
        QCOMPARE(rig.board.param("OPM"), 205);
        QVERIFY(w->Txt[3]->text() == "20.5" && !w->Txt[3]->isVisible());
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

    // A start sends the tab's set point unless its box is grey, then the mode, and goes back to
    // row 1 of the log; a refused start or stop leaves the panel stopped.
    void startAndStop_data() {
        // grey: the tab's box refused before; refusal: the answer to "ASS=" (null: the board's)
        columns<int, bool, QByteArray, QStringList, int, QString>(
            {"tab", "grey", "refusal", "sent", "mode", "message"});
        const QByteArray board;
        const QStringList acc{"SDC=1500", "ASS=1"};
        QTest::newRow("APC") << 0 << false << board << QStringList{"SOP=170", "ASS=2"} << 2 << "";
        QTest::newRow("APC grey") << 0 << true << board << QStringList{"ASS=2"} << 2 << "";
        QTest::newRow("ACC") << 1 << false << board << acc << 1 << "";
        QTest::newRow("ACC grey") << 1 << true << board << QStringList{"ASS=1"} << 1 << "";
        QTest::newRow("AAPC") << 2 << false << board << QStringList{"ASS=4"} << 4 << "";
        QTest::newRow("AACC") << 3 << false << board << QStringList{"ASS=3"} << 3 << "";
        QTest::newRow("thresholds") << 4 << false << board << QStringList{} << 0
                                    << "Select APC or ACC mode.";
        QTest::newRow("user mode") << 1 << false << QByteArray("ASS#") << acc << 0
                                   << "Command failed in User mode";
        QTest::newRow("refused") << 1 << false << QByteArray("ASS=ERR") << acc << 0
                                 << "Command failed";
    }
    void startAndStop() {
        QFETCH(int, tab);
        QFETCH(QByteArray, refusal);
        QFETCH(QStringList, sent);
        QFETCH(int, mode);
        QFETCH(QString, message);
        ControlRig rig;
        auto w = rig.openAndRead();
        w->OngletPilotage->setCurrentIndex(tab);
        if (fetch<bool>("grey")) w->setBoxColour(tab, C::Grey);
        if (!refusal.isNull()) rig.refuse("ASS=", refusal);
        w->CheckEnregistrement->setChecked(true);
        rig.s.LigneMesure = 7;
        rig.clear();
        w->BoutonStart_Click();
        QCOMPARE(rig.sent().mid(0, sent.size()), sent);
        QCOMPARE(rig.board.mode(), mode);
        QCOMPARE(rig.prompts.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
        if (tab == 4) return; // no mode to start
        // Back to row 1; a running laser logs its first row (and a header) at once.
        QVERIFY2(mode ? rig.s.LigneMesure <= 3 : rig.s.LigneMesure == 1,
                 qPrintable(QString::number(rig.s.LigneMesure)));
        QString only(5, u'0');
        only[tab] = u'1';
        QCOMPARE(layout(*w), mode ? "stop " + only : QStringLiteral("start log 11111"));
        if (mode) QVERIFY(w->modeValue() == mode && w->LabelStatus[0]->text() == "ON");

        rig.clear();
        w->BoutonStop_Click();
        if (mode) QCOMPARE(rig.sent(), (QStringList{"ASS=0", "ALA?"}));
        QCOMPARE(rig.prompts.messageTexts(),
                 mode ? QStringList() : QStringList{"Command « ASS =0 » failed."});
        QCOMPARE(layout(*w), QStringLiteral("start log 11111"));
        if (mode) QVERIFY(w->LabelStatus[0]->text().isEmpty());
    }

    void measurementLog() {
        ControlRig rig;
        auto w = rig.openAndRead();
        Grid* sheet = w->vaSpreadMesure;
        sheet->setCellText(5, 2, "left from before");
        rig.s.CompteurEnregistrement = 0;
        w->CheckEnregistrement->click();
        QCOMPARE(sheet->lastRowWithData(), 0); // a start clears the sheet
        QCOMPARE(rig.s.LigneMesure, 1);
        const QString path = rig.s.NomJournal + ".xls";
        for (int tick = 0; tick < 41; ++tick)
            w->TraiterTopPanneau();
        QCOMPARE(rig.s.LigneMesure, 3);
        const QList<QByteArray> lines = fileBytes(path).split('\n');
        QCOMPARE(lines.size(), 4); // three lines and the end
        QVERIFY(lines[1].startsWith("05/12/2026\t09:07:30\t"));

        // Other columns (current first) get their own header before the next row.
        w->OngletPilotage->setCurrentIndex(1);
        rig.s.CompteurEnregistrement = 40;
        w->TraiterTopPanneau();
        QCOMPARE(sheet->cellText(3, 3) + '|' + sheet->cellText(4, 1),
                 QStringLiteral("Laser Diode Current (A)|05/12/2026"));

        // The sheet grows by 100 rows and logging goes on without a gap.
        rig.s.LigneMesure = sheet->rowCount() + 1;
        rig.s.CompteurEnregistrement = 40;
        const int before = sheet->rowCount();
        w->TraiterTopPanneau();
        QCOMPARE(sheet->rowCount(), before + 101);
        QCOMPARE(sheet->cellText(before + 1, 1), QStringLiteral("05/12/2026"));

        // Closing writes the file one last time.
        sheet->setCellText(1, 9, "at close");
        w->close();
        QVERIFY(fileBytes(path).contains("at close") && rig.prompts.shown.isEmpty());
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
        QPointer<W> guard(raw);
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
};

QTEST_MAIN(TestCtlPanel)
#include "test_ctl_panel.moc"