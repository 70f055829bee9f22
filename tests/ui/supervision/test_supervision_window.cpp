#include "core/control/MeasurementLog.h"
#include "core/settings/Ini.h"
#include "support/BoardRig.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "ui/supervision/FrmSupervisionData.h"
#include "ui/supervision/SupervisionGraph.h"
#include "ui/support/Grid.h"
#include "ui/support/Tabs.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace tav;
using namespace tav::test;

namespace {

const QDateTime kStartTime(QDate(2026, 12, 5), QTime(9, 7, 30));

// The window against the in-process board; the wall clock follows the manual clock.
struct SupervisionRig : BoardRig {
    std::unique_ptr<FrmSupervisionData> w;

    explicit SupervisionRig(const QString& period = "60", const QString& every = "5") {
        board.setNoiseEnabled(false);
        s.NbRepetitions = 1;
        EcrireIni(s.generalIni(), "SupervisionData", "TxtFrequenceAcquisition", period);
        EcrireIni(s.generalIni(), "SupervisionData", "TxtModEnreg", every);
        w = std::make_unique<FrmSupervisionData>(s);
        const qint64 origin = clock.now();
        w->wallClock = [this, origin] { return kStartTime.addMSecs(clock.now() - origin); };
        clear();
    }
    QStringList files() const {
        return QDir(s.programDir + "/Supervision").entryList(QDir::Files, QDir::Name);
    }
    // Ticks until `rows` more rows are taken, `periodMs` apart.
    void rows(int count, qint64 periodMs = 60000) {
        for (int i = 0; i < count; ++i) {
            const qint64 due = clock.now() + periodMs;
            w->Horloge_Timer();
            clock.advance(std::max<qint64>(0, due - clock.now()));
        }
    }
    QByteArray line(int row) const { return logLine(w->rowCells(row)); }
};

} // namespace

class TestSupervisionWindow : public QObject {
    Q_OBJECT
private slots:
    // Opening reads the serial number, or shows the failed layout without a board. A setting that
    // cannot be used refuses the start, naming the setting, and so does a port that cannot open;
    // neither makes a file.
    void opening() {
        SupervisionRig rig("0.4", "5");
        QCOMPARE(rig.w->TxtSNU->text(), QStringLiteral("TAV0001")); // read from the board
        rig.w->Bouton_Click();
        QVERIFY(!rig.w->isRunning() && rig.files().isEmpty());
        const QStringList texts = rig.prompts.messageTexts();
        QVERIFY(texts.size() == 1 && texts[0].contains("A row of measurement every second"));

        rig.port.close();
        rig.port.setOpenError("busy");
        rig.w->TxtFrequenceAcquisition->setText("60");
        rig.w->Bouton_Click();
        QVERIFY(!rig.w->isRunning() && rig.files().isEmpty());
        QVERIFY(rig.prompts.messageTexts().last().contains("port could not be opened"));
        FrmSupervisionData failed(rig.s);
        QVERIFY(failed.linkFailed() && !failed.Bouton->isEnabled() && !failed.File->isEnabled());
        QVERIFY(failed.Message->text().startsWith("Serial Link failed"));
    }

    // Period 60, record every 5: the header, then rows 5, 10, 15; scrolling after row 27.
    void recordEveryFifthRow() {
        SupervisionRig rig;
        FrmSupervisionData& w = *rig.w;
        w.TxtSNU->setText("TAV0001");
        w.Bouton_Click();
        QVERIFY(w.isRunning() && !w.TxtModEnreg->isEnabled());
        QVERIFY(w.NomFichier->text().endsWith("TAV0001.xls"));
        rig.rows(16);
        // The first recorded row carries the date the sheet shows on row 1 only.
        QCOMPARE(fileBytes(w.recordPath()), rig.line(0) + logDateText(kStartTime).toLatin1() +
                                              rig.line(5) + rig.line(10) + rig.line(15));
        QCOMPARE(w.vaSpread->cellText(1, 1) + '|' + w.vaSpread->cellText(2, 1), logDateText(kStartTime) + '|');

        rig.rows(10);
        QCOMPARE(w.vaSpread->activeRow(), 1);
        rig.rows(1);
        QCOMPARE(w.vaSpread->activeRow(), 27);

        // Closing while running ends the run and stores the settings.
        w.TxtModEnreg->setText("7");
        w.close();
        QVERIFY(!w.isRunning() && !rig.port.isOpen());
        QCOMPARE(LireIni(rig.s.generalIni(), "SupervisionData", "TxtModEnreg"), QStringLiteral("7"));
    }

    // File names: date and time on an empty serial number; a second start or a save takes a
    // new name.
    void secondStart() {
        SupervisionRig rig;
        FrmSupervisionData& w = *rig.w;
        w.TxtSNU->clear();
        w.Bouton_Click();
        rig.rows(6);
        w.Bouton_Click();
        QCOMPARE(w.Bouton->text(), QStringLiteral("Sop now..."));
        w.Horloge_Timer();
        QVERIFY(!w.isRunning());
        QCOMPARE(w.Bouton->text(), QStringLiteral("&Start"));

        w.wallClock = [] { return kStartTime; };
        w.Bouton_Click();
        QVERIFY(w.LigneCourante == 1 && w.vaSpread->cellText(3, 4).isEmpty()); // sheet cleared
        rig.rows(1);
        w.save_Click(); // the data rows, no header
        QCOMPARE(rig.files(), (QStringList{"5_12_2026_9_7.xls", "5_12_2026_9_7_2.xls",
                                           "5_12_2026_9_7_3.xls"}));
        QCOMPARE(fileBytes(rig.s.programDir + "/Supervision/5_12_2026_9_7_3.xls"), rig.line(1));
        // A save of more than 1 MiB that fails on a full disk leaves no part of the sheet.
        w.vaSpread->setRowCount(20000);
        for (int r = 1; r <= 20000; ++r) w.vaSpread->setCellText(r, 4, QString(100, u'7'));
        QCOMPARE(inChild([&] { limitFileSize(3 << 19); }, [&] {
                     w.save_Click();
                     return rig.files().size() == 3 &&
                            rig.prompts.messageTexts().last().contains("Free some space");
                 }), 1);
    }

    // A stop while the row is measured: the rest stays empty, the row is still recorded, the
    // next tick ends the run.
    void stopDuringRow() {
        SupervisionRig rig("60", "1");
        FrmSupervisionData& w = *rig.w;
        w.Bouton_Click();
        rig.rows(1);
        rig.clear();
        rig.s.processEvents = [&] {
            if (rig.sent().size() == 3 && w.isRunning() && !w.ArretDemande)
                w.Bouton_Click();
        };
        rig.rows(1);
        QCOMPARE(rig.sent(), (QStringList{"IPW?", "OPW?", "PS2?"}));
        QVERIFY(!w.vaSpread->cellText(2, 6).isEmpty() && w.vaSpread->cellText(2, 7).isEmpty() &&
                w.isRunning());
        QVERIFY(fileBytes(w.recordPath()).endsWith(rig.line(2)));
        rig.rows(1);
        QVERIFY(!w.isRunning() && w.LigneCourante == 3);
    }

    // A pulled adapter leaves empty rows, no box, says the link lost and back after the countdown
    // ("Immediate measure" when the row is due); the run goes on with the board back.
    void badInput() {
        SupervisionRig rig("60", "1");
        FrmSupervisionData& w = *rig.w;
        w.Bouton_Click();
        rig.rows(3);
        rig.port.unplug();
        rig.rows(1);
        QVERIFY(w.isRunning() && rig.prompts.shown.isEmpty());
        QVERIFY(w.vaSpread->cellText(4, 5).isEmpty() && !w.vaSpread->cellText(4, 3).isEmpty());
        rig.port.replug();
        rig.rows(1);
        QCOMPARE(w.Message->text(), QString::fromUtf8("Immediate measure — link lost at 09:10:30"));
        rig.rows(1, 30000); // a tick half-way to the next row counts down
        QCOMPARE(w.Message->text(), QString::fromUtf8("Immediate measure — link back at 09:11:30"));
        w.Horloge_Timer();
        QCOMPARE(w.Message->text(), QStringLiteral("Next measure in 0.5 mn"));
        rig.clock.advance(30000);
        QVERIFY(!w.vaSpread->cellText(5, 5).isEmpty());
        // A record write that fails ends the run at once, saying so; the whole lines before stay.
        const QByteArray kept = fileBytes(w.recordPath());
        QCOMPARE(kept.count("\r\n"), 7);
        QCOMPARE(inChild([&] { limitFileSize(kept.size() + 10); }, [&] {
                     rig.rows(1);
                     return !w.isRunning() && fileBytes(w.recordPath()) == kept &&
                            rig.prompts.messageTexts().last().contains("before are kept in "
                                                                       "the file. Free some space");
                 }), 1);
    }

    // Hourly rows: the day that starts at row 16 is dated there only; the sheet grows past 500.
    void longRun() {
        SupervisionRig rig("3600", "1000");
        rig.w->Bouton_Click();
        rig.rows(502, 3600000);
        QString dated;
        for (int row = 1; row <= 502; ++row)
            dated += rig.w->vaSpread->cellText(row, 1).isEmpty() ? "" : QString::number(row) + ' ';
        QVERIFY(dated.startsWith("1 16 40 64 ") && dated.endsWith(" 472 496 "));
        QCOMPARE(rig.w->rowCells(502).mid(2).join(' '), "502.0000 -30 -230 -233 0 25 25 00000001 0");
    }

    void graphs() {
        SupervisionRig rig("60", "100");
        FrmSupervisionData& w = *rig.w;
        w.show();
        w.OngletPrincipal->setCurrentIndex(2);
        w.CheckGraphes[0]->setChecked(true);
        w.Bouton_Click();
        rig.rows(2);
        QTRY_COMPARE(w.CWGraphAppareil->plot(1)->count(), 1);
        QVERIFY(w.CWGraphAppareil->plot(1)->isVisible() && !w.CWGraphAppareil->plot(4)->isVisible());
        // Ticking draws from the rows in the sheet; unticking hides.
        rig.rows(2);
        w.CheckGraphes[3]->setChecked(true);
        QCOMPARE(w.CWGraphAppareil->plot(4)->count(), 3);
        w.CheckGraphes[3]->setChecked(false);
        QVERIFY(!w.CWGraphAppareil->plot(4)->isVisible());
    }

    // The caption says what a click does; any caption but "select all" clears.
    void selectAll_data() {
        columns<QString, bool, QString>({"caption", "ticked", "after"});
        QTest::newRow("select") << "&SELECT ALL" << true << "&De-select all";
        QTest::newRow("design") << QString::fromUtf8("&Tout sélectionner") << false << "&Select all";
    }
    void selectAll() {
        SupervisionRig rig;
        rig.w->CheckGraphes[2]->setChecked(true);
        rig.w->BoutonGraphe->setText(fetch<QString>("caption"));
        rig.w->BoutonGraphe_Click();
        for (QCheckBox* c : rig.w->CheckGraphes)
            QCOMPARE(c->isChecked(), fetch<bool>("ticked"));
        QTEST(rig.w->BoutonGraphe->text(), "after");
    }
};

QTEST_MAIN(TestSupervisionWindow)
#include "test_supervision_window.moc"
