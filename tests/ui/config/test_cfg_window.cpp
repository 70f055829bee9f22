#include "ConfigRig.h"

#include "core/Clock.h"
#include "core/config/ConfigReport.h"
#include "core/link/QtSerialPort.h"
#include "core/link/Wait.h"
#include "support/Columns.h"
#include "support/Pty.h"
#include "ui/main/FrmMotDePasse.h"
#include "ui/support/DisplayServer.h"
#include "ui/support/Slider.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
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
        rig.answers["PWD=QUILTA"] = "pwd!"; // any letter case
        // A booster threshold above IM2: the slider spans IM2 .. threshold.
        EcrireIni(rig.s.generalIni(), "FrmAlarmsThresholds", "TxtLCM_0", "5000");
        auto w = rig.open();
        QVERIFY(!w->inert());
        QCOMPARE(rig.sent(), (QStringList{"PWD=QUILTA", "IM1?", "IM2?", "IM2?"}));
        QVERIFY(w->CWSlide[2]->maximum() == 400 && w->CWSlide[12]->minimum() == 3000 &&
                w->CWSlide[12]->maximum() == 5000);
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
        QVERIFY(w->CWSlide[9]->maximum() == 20 && w->CWSlide[9]->value() == 17); // values: fullRead
        QVERIFY(rig.prompts.shown.isEmpty());
        // Every value box shows whole: its text fits, and its right edge is drawn.
        w->show();
        for (QLabel* box : w->findChildren<QLabel*>(QRegularExpression("^Label(Txt)?_\\d+$"))) {
            const QImage drawn = box->grab().toImage();
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) < box->contentsRect().width() &&
                         drawn.pixel(drawn.width() - 1, drawn.height() / 2) != qRgb(255, 255, 255),
                     qPrintable(box->objectName()));
        }

        w->close();
        QVERIFY(!rig.port.isOpen() && !rig.poll.isEnabled() &&
                !rig.poll.hasRefresh(FrmConfigManuelle::kCode));
    }

    // One simulated board whose output power lies above its nominal power: the window's values
    // after Import, "tavoemctl read --json" and the cells of "tavoemctl report" agree.
    void windowCommandLineAndReportAgree() {
        SimProcess sim;
        QVERIFY(sim.start({"--no-noise"}));
        BoardRig rig; // its program folder
        const QString dir = rig.dir.path(), ini = rig.s.generalIni();
        EcrireIni(ini, "RS232", "TempsPause2", "2");
        auto ctl = [&](QStringList args) {
            QProcess p;
            p.start(qEnvironmentVariable("TAVOEMCTL_BIN"),
                    args << "--port" << sim.devicePath() << "--program-dir" << dir);
            return p.waitForFinished(60000) ? p.readAllStandardOutput() : QByteArray();
        };
        ctl({"send", "PWD=QUILTA", "PON=15"}); // the board lowers SOP to 15.5 dBm
        QtSerialPort port;
        SystemClock clock;
        AppState s(dir, port, clock, rig.prompts);
        s.portOverride = sim.devicePath();
        s.FenetreActive = FrmConfigManuelle::kCode;
        ConfigReport shown; // the window's values under their mnemonics
        QString ramp;
        {
            FrmConfigManuelle w(s);
            w.BoutonImporter->click();
            shown = w.report();
            ramp = w.CW[8]->text();
        }
        QCOMPARE(shown.sections.last().rows[0].value, QStringLiteral("15")); // SOP
        const QJsonObject read = QJsonDocument::fromJson(ctl({"read", "--json"})).object();
        QCOMPARE(QJsonDocument::fromJson(ctl({"report", "--json", "--pdf", dir + "/r.pdf"}))
                     ["result"].toString(), QStringLiteral("written"));
        QProcess pdf;
        pdf.start("pdftotext", {"-layout", dir + "/r.pdf", "-"});
        QVERIFY2(pdf.waitForFinished(30000) && pdf.exitCode() == 0, "pdftotext is needed");
        std::map<QString, QString> cells; // mnemonic -> value, from rows of two words
        for (const QString& line : QString::fromUtf8(pdf.readAllStandardOutput()).split('\n'))
            if (const QStringList w = line.simplified().split(' '); w.size() == 2)
                cells[w[0]] = w[1];
        for (const ReportSection& section : shown.sections)
            for (const auto& [mne, value] : section.rows) { // RP2: Int(4095 / (20 x box))
                QCOMPARE(cells[mne], value);
                QCOMPARE(read.value(mne).toVariant().toString(), mne == "RP2" ? ramp : value);
            }
        QVERIFY(LireIni(ini, "RS232", "PORT") != sim.devicePath());
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

    // Enter in a box (box + 100: a move of its slider) after the first read: what is sent,
    // what the box shows, and the box coupled to it with its slider's value and maximum.
    void enterRules_data() {
        columns<int, QString, QString, QString, int, double>(
            {"box", "typed", "sent", "shown", "coupled", "limit"});
        QTest::newRow("RP2 4") << 8 << "4" << "RP2=51" << "4" << -1 << 0.0;
        QTest::newRow("RP2 0 raised") << 8 << "0" << "RP2=204" << "1" << -1 << 0.0;
        QTest::newRow("SOP capped") << 9 << "35" << "SOP=230" << "23" << 9 << 23.0;
        QTest::newRow("IC1 coupled") << 2 << "900" << "IC1=800" << "800" << 2 << 800.0;
        QTest::newRow("IM1 lowers IC1") << 3 << "200" << "IM1=200" << "200" << 2 << 200.0;
        QTest::newRow("slider PON") << 100 << "15" << "PON=15" << "15" << 9 << 15.0;
        QTest::newRow("letters") << 1 << "abc" << "TC1=15" << "15" << -1 << 0.0;
        QTest::newRow("decimal") << 10 << "-9.25" << "IPT=-92.5" << "-9.25" << -1 << 0.0;
    }
    void enterRules() {
        QFETCH(int, box);
        QFETCH(int, coupled);
        ConfigRig rig;
        rig.board.setParam("PON", 23);
        rig.board.setParam("IM1", 1000);
        auto w = rig.openAndRead();
        w->CW[3]->setText("800");
        const QString typed = fetch<QString>("typed");
        if (box >= 100)
            w->CWSlide_PointerValueChanged(box - 100, typed.toDouble());
        else
            type(w->CW[box], typed);
        QCOMPARE(rig.sent(), QStringList{fetch<QString>("sent")});
        QTEST(w->CW[box % 100]->text(), "shown");
        if (coupled < 0) return;
        const NumericSlider* s = w->CWSlide[coupled];
        QCOMPARE(QStringList({w->CW[coupled]->text(), QString::number(s->value()),
                              QString::number(s->maximum())}).join(' '),
                 QString("%1 %1 %1").arg(fetch<double>("limit")));
    }

    // Leaving box 2 above its limit takes the limit, unless only the window lost activation.
    void leavingBox() {
        ConfigRig rig;
        auto w = rig.openAndRead();
        for (const auto& [reason, shown] : {std::pair(Qt::ActiveWindowFocusReason, "900"),
                                            std::pair(Qt::TabFocusReason, "800")})
            for (int box : {2, 4}) { // limits in boxes 3 and 5
                w->CW[box + 1]->setText("800");
                w->CW[box]->setText("900");
                QFocusEvent out(QEvent::FocusOut, reason);
                QApplication::sendEvent(w->CW[box], &out);
                QCOMPARE(w->CW[box]->text(), QString(shown));
            }
        QVERIFY(rig.sent().isEmpty());
    }

    // The mode read selects its option and follows every single write.
    void limitSliderLowersTheSetPoint() {
        ConfigRig rig;
        rig.answers["ASS?"] = "ASS=3";
        auto w = rig.openAndRead();
        QVERIFY(w->OptionMode[2]->isChecked());
        w->CW[4]->setText("600");
        w->CWSlide_PointerValueChanged(5, 500);
        QCOMPARE(rig.sent(), (QStringList{"IM2=500", "ASS=3"}));
        QCOMPARE(w->CWSlide[4]->maximum(), 500.0);
        QCOMPARE(w->CW[4]->text() + ' ' + w->CW[5]->text(), QStringLiteral("500 500"));
    }

    // The last prompt shown and what was sent, per answer to the question, password typed
    // (empty: Cancel) and the board's answer to WKP=1.
    void eeprom_data() {
        columns<bool, QString, QByteArray, QStringList, QString>(
            {"yes", "password", "answer", "sent", "prompt"});
        const QString ask = "Configuration Manuelle: Voulez-vous écraser les paramètres TAV?";
        const QStringList wkp{"WKP=1"};
        QTest::newRow("saved") << true << "QUILTA" << QByteArray() << wkp
                               << "Sauve: La commande WKP=1 a réussi.";
        QTest::newRow("refused") << true << "QUILTA" << QByteArray("WKP#") << wkp
                                 << "Sauve: La commande WKP=1 a échoué.";
        QTest::newRow("cancelled") << true << "" << QByteArray() << QStringList{} << ask;
        QTest::newRow("declined") << false << "" << QByteArray() << QStringList{} << ask;
    }
    void eeprom() {
        QFETCH(QString, password);
        ConfigRig rig;
        auto w = rig.openAndRead();
        if (const auto answer = fetch<QByteArray>("answer"); !answer.isEmpty())
            rig.answers["WKP=1"] = answer;
        rig.prompts.yesNoAnswers << fetch<bool>("yes");
        QTimer::singleShot(0, w.get(), [password] {
            auto* dialog = qobject_cast<FrmMotDePasse*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (!password.isEmpty()) type(dialog->TxtPWD, password);
            if (dialog->isVisible()) dialog->reject();
        });
        w->BoutonEeprom->click();
        QTEST(rig.sent(), "sent");
        QCOMPARE(rig.board.eepromWrites(), int(password == "QUILTA" && !rig.answers.count("WKP=1")));
        QTEST(rig.prompts.shown.last().title + ": " + rig.prompts.shown.last().text, "prompt");
    }

    // Every value of a full read in its display unit, and the mode read for each of ASS=1 to 4.
    void fullRead_data() {
        columns<int>({"mode"});
        for (int mode : {1, 2, 3, 4})
            QTest::addRow("ASS=%d", mode) << mode;
    }
    void fullRead() {
        QFETCH(int, mode);
        ConfigRig rig;
        rig.answers["ASS?"] = "ASS=" + QByteArray::number(mode);
        for (const char* zero : {"CI2", "CO1", "CS1"}) rig.board.setParam(zero, -15);
        auto w = rig.openAndRead();
        QStringList shown;
        const auto add = [&shown](const auto& boxes) {
            for (auto* box : boxes) shown << box->text();
        };
        add(w->CW), add(w->LabelTxt), add(w->Label);
        add(std::array{w->TxtSNU, w->TxtDate, w->TxtTime});
        QCOMPARE(shown.join(' '), "20 25 250 400 1500 3000 500 5 2 17 -8 20.5 2800 -20 65 V1.20 -30 "
                                  "900 -1.5 2400 2250 -1.5 2000 20 3000 850 -1.5 1900 20 2860 782 "
                                  "-4.4 -26.5 -26.2 25 25 0 0 TAV0001 05/12/2026 09:07:30"); // RP2: speed 102
        QVERIFY(w->OptionMode[std::size_t(mode - 1)]->isChecked());
        QCOMPARE(rig.s.ModeAsservissement, mode);
        // The poll's read stops at the first parameter without answer.
        rig.answers["SOP?"] = "";
        rig.s.RafraichissementDemande = true;
        w->TraiterTopConfig();
        QVERIFY(rig.sent().contains("SOP?") && !rig.sent().contains("IPT?"));
    }

    // "Send to board": a box left at 0 sends RP2=250; a refused parameter is painted red and the
    // others are still sent; a box read as "xxx" or no number keeps its text, in red, and is not
    // sent (false) until a value is typed into it; a refused final mode command makes the result
    // false, painting nothing; a refused laser start gives one message and writes nothing else.
    void sendToBoard() {
        ConfigRig rig;
        rig.answers = {{"ASS?", "ASS=2"}, {"SOP?", "SOP=xxx"}, {"IPT?", "IPT=1e5"}};
        auto w = rig.openAndRead();
        const auto red = [&w] {
            QList<int> boxes;
            for (int i = 0; i < int(w->CW.size()); ++i)
                if (w->isRed(w->CW[std::size_t(i)])) boxes << i;
            return boxes;
        };
        QVERIFY(red() == (QList{9, 10}) && w->CW[9]->text().isEmpty()); // texts kept
        w->CW[8]->setText("0");
        w->CW[1]->setText("20");
        QTest::keyClicks(w->CW[10], "-8");
        rig.answers["TC1=20"] = "TC1#";
        w->BoutonExporter->click();
        const QStringList sent = rig.sent(); // ASS=1, SNU, 14 parameters (no SOP), the mode
        QVERIFY(sent.size() == 17 && sent[0] == "ASS=1" && sent.contains("RP2=250") &&
                sent.contains("IPT=-80") && sent.last() == "ASS=2");
        QVERIFY(w->CW[8]->text() == "0" && w->BoutonImporter->isEnabled());
        QCOMPARE(red(), (QList{1, 9}));
        rig.answers.clear();
        QVERIFY(!w->EcrireParametresCarte() && red() == QList{9});
        QTest::keyClicks(w->CW[9], "15");
        rig.answers = {{"ASS=2", "ASS#"}};
        QVERIFY(!w->EcrireParametresCarte() && red().isEmpty() && !w->isRed(w->TxtSNU));

        rig.port.clearHistory();
        rig.answers["ASS=1"] = "ASS#";
        w->BoutonExporter->click();
        QCOMPARE(rig.sent(), QStringList{"ASS=1"});
        QCOMPARE(rig.prompts.messageTexts(),
                 QStringList{QString::fromUtf8("Le démarrage du laser a échoué.")});
    }
    // While an exchange waits, the display is served every 20 ms at most (board clock) and
    // nothing else runs: the lines, their pauses and the port are those of a run without a
    // display. A poll tick, a key and a close that come during a wait run after the Import.
    void servedWhileWaiting_data() {
        QTest::addColumn<QString>("during");
        for (const char* d : {"poll tick", "key", "close"}) QTest::newRow(d) << QString(d);
    }
    void servedWhileWaiting() {
        QFETCH(QString, during);
        ConfigRig rig;
        auto w = rig.openAndRead();
        qint64 t0 = rig.clock.now();
        w->BoutonImporter->click();
        const QStringList alone = rig.sent();
        const qint64 took = rig.clock.now() - t0;
        rig.port.clearHistory();
        DisplayServer server(*qApp, rig.s);
        if (during == "poll tick") rig.s.TempsRafraichissement = 1, rig.poll.start();
        QList<qint64> served;
        int inside = 0; // lines sent or the port opened or closed while serving
        rig.s.serveDisplay = [&] {
            if (served.size() == 40) {
                if (during == "poll tick") QThread::msleep(5);
                if (during == "key") type(w->CW[1], "20");
                if (during == "close") w->close();
            }
            served << rig.clock.now();
            const auto wire = std::pair(rig.port.receivedLines().size(), rig.s.PortOEM.isOpen());
            server.serve();
            inside += wire != std::pair(rig.port.receivedLines().size(), rig.s.PortOEM.isOpen());
        };
        t0 = rig.clock.now();
        w->BoutonImporter->click();
        QVERIFY(served.size() > 40 && inside == 0);
        QCOMPARE(rig.sent(), alone);
        QCOMPARE(rig.clock.now() - t0, took);
        for (qsizetype i = 1; i < served.size(); ++i) QVERIFY(served[i] - served[i - 1] <= kServeEveryMs);
        QCoreApplication::processEvents(); // held input runs here
        if (during == "key") QVERIFY(rig.sent().size() == alone.size() + 1 && rig.sent().last().startsWith("TC1="));
        QCOMPARE(rig.s.PortOEM.isOpen(), during != "close");
    }
};

QTEST_MAIN(TestCfgWindow)
#include "test_cfg_window.moc"
