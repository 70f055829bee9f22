#include "ConfigRig.h"

#include "support/Columns.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/support/Slider.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

// Types text into a box and presses Enter, as the operator does.
void type(QLineEdit* box, const QString& text) {
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class TestCfgWindow : public QObject {
    Q_OBJECT
private slots:
    void openingFirstTickAndClosing() {
        ConfigRig rig;
        auto w = rig.open();
        QVERIFY(!w->inert());
        QCOMPARE(rig.sent(), (QStringList{"PWD=QUILTA", "IM1?", "IM2?", "IM2?"}));
        QVERIFY(w->CWSlide[2]->maximum() == 400 && w->CWSlide[12]->maximum() == 3000);
        QCOMPARE(LireIni(rig.s.generalIni(), "FrmAlarmsThresholds", "TxtLCM_1"), QString("3000"));
        QVERIFY(rig.poll.isEnabled() && rig.poll.hasRefresh(FrmConfigManuelle::kCode));
        QCOMPARE(rig.s.LangueCourante, QStringLiteral("EN"));

        rig.port.clearHistory();
        w->TraiterTopConfig();
        QVERIFY(!rig.s.RafraichissementDemande);
        const QStringList sent = rig.sent();
        QCOMPARE(sent.mid(0, 3), (QStringList{"SNU?", "VER?", "PON?"}));
        QCOMPARE(sent.mid(sent.indexOf("ASS?")),
                 (QStringList{"ASS?", "IPW?", "PS2?", "OPW?", "CAT?", "LDT?", "ID1?", "LDC?"}));
        const QStringList shown{w->TxtSNU->text(), w->LabelTxt[0]->text(), w->CW[0]->text(),
                                w->CW[8]->text(),  w->CW[9]->text(),       w->LabelTxt[1]->text(),
                                w->Label[3]->text(), w->TxtDate->text(),   w->TxtTime->text()};
        QCOMPARE(shown, (QStringList{"TAV0001", "V1.20", "20", "2", "17", "-30", "25", "05/12/2026",
                                     "09:07:30"})); // RP2 "2": speed 102
        QVERIFY(w->CWSlide[9]->maximum() == 20 && rig.prompts.shown.isEmpty());

        w->close();
        QVERIFY(!rig.port.isOpen() && !rig.poll.isEnabled() &&
                !rig.poll.hasRefresh(FrmConfigManuelle::kCode));
    }

    void inertOpening_data() {
        columns<QByteArray, QByteArray>({"line", "answer"});
        QTest::newRow("password refused") << QByteArray("PWD=QUILTA") << QByteArray("PWD#");
        QTest::newRow("no IM1") << QByteArray("IM1?") << QByteArray();
    }
    void inertOpening() {
        ConfigRig rig;
        rig.answers[fetch<QByteArray>("line")] = fetch<QByteArray>("answer");
        auto w = rig.open();
        QVERIFY(w->inert() && rig.prompts.shown.isEmpty() && w->TxtSNU->text().isEmpty());
        QVERIFY(!rig.poll.isEnabled() && !rig.poll.hasRefresh(FrmConfigManuelle::kCode));
    }

    // One parameter read, with the window holding "7" in every box beforehand.
    void readRules_data() {
        columns<QByteArray, QByteArray, int, QString, bool>(
            {"line", "answer", "box", "text", "red"});
        QTest::newRow("IPT tenths")
            << QByteArray("IPT?") << QByteArray("IPT=-95") << 10 << "-9.5" << false;
        QTest::newRow("RP2 duration")
            << QByteArray("RP2?") << QByteArray("RP2=41") << 8 << "4" << false;
        QTest::newRow("RP2 xxx") << QByteArray("RP2?") << QByteArray("RP2=xxx") << 8 << "7" << true;
        QTest::newRow("no answer") << QByteArray("TC1?") << QByteArray() << 1 << "7" << true;
    }
    void readRules() {
        QFETCH(QByteArray, answer);
        QFETCH(int, box);
        ConfigRig rig;
        auto w = rig.open();
        for (QLineEdit* b : w->CW)
            b->setText("7");
        rig.answers[fetch<QByteArray>("line")] = answer;
        QCOMPARE(w->LireParametresCarte(true), !answer.isEmpty());
        QTEST(w->CW[box]->text(), "text");
        QTEST(w->isRed(w->CW[box]), "red");
    }

    void modeAnswer_data() {
        columns<QByteArray, int, int>({"answer", "option", "mode"});
        QTest::newRow("AACC") << QByteArray("ASS=3") << 2 << 3;
        QTest::newRow("above 4") << QByteArray("ASS=7") << -1 << 2;
    }
    void modeAnswer() {
        QFETCH(int, mode);
        ConfigRig rig;
        rig.s.ModeAsservissement = 2;
        rig.answers["ASS?"] = fetch<QByteArray>("answer");
        auto w = rig.openAndRead();
        for (int k = 0; k < 4; ++k)
            QCOMPARE(w->OptionMode[k]->isChecked(), k == fetch<int>("option"));
        QCOMPARE(int(rig.s.ModeAsservissement), mode);
        // Every single write is followed by the mode.
        type(w->CW[10], "-9.5");
        QCOMPARE(rig.sent(), (QStringList{"IPT=-95", QStringLiteral("ASS=%1").arg(mode)}));
    }

    // Enter in a box after the first read: what is sent and what the box shows.
    void enterRules_data() {
        columns<int, QString, QString, QString>({"box", "typed", "sent", "shown"});
        QTest::newRow("RP2 4") << 8 << "4" << "RP2=51" << "4";
        QTest::newRow("RP2 0 raised") << 8 << "0" << "RP2=204" << "1";
        QTest::newRow("SOP capped") << 9 << "35" << "SOP=230" << "23";
        QTest::newRow("IC1 coupled") << 2 << "900" << "IC1=800" << "800";
        QTest::newRow("letters") << 1 << "abc" << "TC1=15" << "15";
        QTest::newRow("decimal") << 10 << "-9.25" << "IPT=-92.5" << "-9.25";
    }
    void enterRules() {
        QFETCH(int, box);
        ConfigRig rig;
        rig.board.setParam("PON", 23);
        rig.board.setParam("IM1", 1000);
        auto w = rig.openAndRead();
        w->CW[3]->setText("800");
        type(w->CW[box], fetch<QString>("typed"));
        QCOMPARE(rig.sent(), QStringList{fetch<QString>("sent")});
        QTEST(w->CW[box]->text(), "shown");
        if (box == 9) QCOMPARE(w->CWSlide[9]->value(), 23.0);
        if (box == 2) QCOMPARE(w->CWSlide[2]->maximum(), 800.0);
    }

    void limitSliderLowersTheSetPoint() {
        ConfigRig rig;
        rig.s.ModeAsservissement = 3;
        rig.answers["ASS?"] = "ASS=3";
        auto w = rig.openAndRead();
        w->CW[4]->setText("600");
        w->CWSlide_PointerValueChanged(5, 500);
        QCOMPARE(rig.sent(), (QStringList{"IM2=500", "ASS=3"}));
        QCOMPARE(w->CWSlide[4]->maximum(), 500.0);
        QCOMPARE(w->CW[4]->text() + ' ' + w->CW[5]->text(), QStringLiteral("500 500"));
    }

    void sendToBoard() {
        ConfigRig rig;
        auto w = rig.openAndRead();
        w->CW[8]->setText("0");
        w->BoutonExporter->click();
        const QStringList sent = rig.sent(); // ASS=1, SNU and 15 parameters; no mode known
        QVERIFY(sent.size() == 17 && sent[0] == "ASS=1" && sent.contains("RP2=250") &&
                sent.contains("IPT=-80"));
        QVERIFY(w->CW[8]->text() == "0" && w->BoutonImporter->isEnabled());

        // The laser start refused: one message, nothing else written.
        rig.port.clearHistory();
        rig.answers["ASS=1"] = "ASS#";
        w->BoutonExporter->click();
        QCOMPARE(rig.sent(), QStringList{"ASS=1"});
        QCOMPARE(rig.prompts.messageTexts(),
                 QStringList{QString::fromUtf8("Le démarrage du laser a échoué.")});
    }

    void eeprom_data() {
        columns<bool, QStringList>({"yes", "sent"});
        QTest::newRow("saved") << true << QStringList{"WKP=1"};
        QTest::newRow("declined") << false << QStringList{};
    }
    void eeprom() {
        QFETCH(bool, yes);
        ConfigRig rig;
        auto w = rig.openAndRead();
        rig.prompts.yesNoAnswers << yes;
        if (yes)
            QTimer::singleShot(0, [] {
                auto* dialog = qobject_cast<FrmMotDePasse*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                type(dialog->TxtPWD, "QUILTA");
            });
        w->BoutonEeprom->click();
        QTEST(rig.sent(), "sent");
        QCOMPARE(rig.board.eepromWrites(), int(yes));
        if (yes)
            QCOMPARE(rig.prompts.shown.last().title + ": " + rig.prompts.shown.last().text,
                     QStringLiteral("Sauve: La commande WKP=1 a réussi."));
    }
};

QTEST_MAIN(TestCfgWindow)
#include "test_cfg_window.moc"
