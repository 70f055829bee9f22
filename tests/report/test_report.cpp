#include "ui/config/ConfigRig.h"

#include "report/ReportLayout.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "support/Files.h"
#include "ui/config/FrmImpression.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using namespace tav;
using namespace tav::test;

namespace {

// The report of a configuration window that has read the simulated board.
ConfigReport boardReport(const QString& rampBox = {}) {
    ConfigRig rig;
    auto w = rig.openAndRead();
    if (!rampBox.isNull()) w->CW[8]->setText(rampBox);
    return w->report();
}

const ReportItem* findItem(const ReportPage& page, const QString& prefix) {
    for (const ReportItem& item : page.items)
        if (item.kind != ReportItem::Logo && item.text.startsWith(prefix)) return &item;
    return nullptr;
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void sectionsOfTheDefaultCatalogue() {
        const ConfigReport r = boardReport();
        QCOMPARE(r.serial, QStringLiteral("TAV0001"));
        QStringList sections; // titles and row counts
        for (const ReportSection& s : r.sections)
            sections << s.title + ' ' + QString::number(s.rows.size());
        QCOMPARE(sections, (QStringList{"Parameters Settings 3", "Diode 1er étage 3",
                                        "Diode 2ème étage 5", "configuration des seuils 5",
                                        "Calibration photodiodes 15", "Autres paramètres 1"}));
        QCOMPARE(r.sections[2].rows[4].mnemonic + '=' + r.sections[2].rows[4].value,
                 QStringLiteral("RP2=102")); // ramp duration 2 s
        QCOMPARE(r.sections.last().rows.last().mnemonic, QStringLiteral("SOP"));
    }

    void rampAndMnemonicRules_data() {
        test::columns<QString, QString>({"rampBox", "printed"});
        QTest::newRow("25 s") << "25" << "8";
        QTest::newRow("zero") << "0" << "0";
        QTest::newRow("no number") << "abc" << "abc";
    }
    void rampAndMnemonicRules() {
        QTEST(boardReport(test::fetch<QString>("rampBox")).sections[2].rows[4].value, "printed");
        // A tooltip without "(" prints its text before the first blank.
        QCOMPARE(reportMnemonic("XYZ set something"), QStringLiteral("XYZ"));
        QCOMPARE(reportMnemonic("RP2 ((20 * RP2)/4095) Ecrit"), QStringLiteral("RP2"));
    }

    // extra: rows added to the table before the long one, so that its title, heading and first
    // row no longer fit in the rest of the page (moved).
    void longReportRepeatsTheHeader_data() {
        test::columns<int, bool>({"extra", "moved"});
        QTest::newRow("starts in the rest") << 0 << false;
        QTest::newRow("moved") << 6 << true;
    }
    void longReportRepeatsTheHeader() {
        ReportPageSetup setup;
        setup.page.setHeight(9000);
        setup.dateText = "05/12/2026";
        ConfigReport report = boardReport();
        for (int k = 0; k < test::fetch<int>("extra"); ++k) report.sections[3].rows << report.sections[3].rows[0];
        QStringList longTable; // the one table longer than this page
        for (const ReportRow& row : report.sections[4].rows) longTable << row.mnemonic;
        const QList<ReportPage> pages = layoutReport(report, setup);
        QVERIFY(pages.size() >= 3);
        const double bottom = setup.page.height() - setup.bottom;
        for (int p = 0; p < pages.size(); ++p) {
            const ReportItem* header = findItem(pages[p], QString::fromUtf8("N° Série : TAV0001"));
            QVERIFY(header);
            QCOMPARE(header->rect, findItem(pages[0], QString::fromUtf8("N° Série"))->rect);
            QCOMPARE(pages[p].items.first().kind, ReportItem::Logo);
            QCOMPARE(pages[p].items.first().rect, QRectF(1440, 700, 9000, 1600));
            QVERIFY(findItem(pages[p], "Configuration carte  Le 05/12/2026"));
            QList<const ReportItem*> cells;
            for (const ReportItem& item : pages[p].items)
                if (item.kind == ReportItem::Cell) cells << &item;
            for (const ReportItem* cell : cells) QVERIFY(cell->rect.bottom() <= bottom);
            // A page never ends on a title or heading row; only a table longer than a page
            // continues on the next one, under its heading row again. A moved one keeps its
            // title, heading and first rows together on the next page.
            QVERIFY(!cells.last()->fill);
            for (int i = 0; i < cells.size(); ++i)
                if (cells[i]->text == report.sections[4].title)
                    QVERIFY(i == 0 ? cells[3]->text == longTable[0] : !test::fetch<bool>("moved"));
            if (cells.first()->rect.width() == 1440)
                QVERIFY(cells.first()->text == "Commande" && longTable.contains(cells[2]->text));
        }
    }

    // Read back page by page: the calibration table whole on page 2 under its title and heading,
    // a long value wrapped in its cell, not cut.
    void pdfExport() {
        QTemporaryDir dir;
        ConfigReport r = boardReport();
        r.sections[0].rows[2].value = "V1.20 built 2026-12-05 for line 4 of bench 7";
        const QString file = dir.filePath("report.pdf");
        QString error;
        QVERIFY2(exportReportPdf(r, file, "05/12/2026", &error), qPrintable(error));
        QCOMPARE(layoutReport(r, ReportPageSetup()).size(), 2);
        QStringList pages;
        for (const QString page : {"1", "2"}) {
            QProcess text;
            text.start("pdftotext", {"-f", page, "-l", page, file, "-"});
            QVERIFY2(text.waitForFinished(60000), "pdftotext (poppler-utils) must be installed");
            pages << QString::fromUtf8(text.readAllStandardOutput());
            QCOMPARE(text.exitCode(), 0);
        }
        for (const char* expected : {"N° Série : TAV0001", "Diode 2ème étage", "RP2", "Page 1",
                                     "Le 05/12/2026", "V1.20", "built", "2026-12-05", "bench 7"})
            QVERIFY2(pages[0].contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!pages[0].contains(QString::fromUtf8("…")) && !pages[0].contains("CI1"));
        QStringList calibration{"Calibration photodiodes", "Commande", "Valeur", "Page 2"};
        for (const ReportRow& row : r.sections[4].rows) calibration << row.mnemonic;
        for (const QString& expected : calibration)
            QVERIFY2(pages[1].contains(expected), qPrintable(expected));

        // A full disk (a file-size limit, binding root too) leaves no short file, keeps the file
        // already there and says why, advising to make room.
        QVERIFY(writeBytes(file, "OLD"));
        QCOMPARE(inChild([] { limitFileSize(12288); }, [&] {
                     QString e;
                     for (const QString& f : {file, dir.filePath("new.pdf")})
                         if (exportReportPdf(r, f, "05/12/2026", &e) || !e.contains("File too large") ||
                             !e.contains("Free some space"))
                             return 0;
                     return 1;
                 }),
                 1);
        QCOMPARE(fileBytes(file), QByteArray("OLD"));
        QVERIFY(!QFile::exists(dir.filePath("new.pdf")));
    }

    void previewWindowExportsPdf() {
        ConfigRig rig;
        QTemporaryDir dir;
        auto w = rig.openAndRead();
        FrmImpression preview(rig.s, w->report(), w.get());
        QCOMPARE(preview.pages().size(), 2);
        rig.prompts.fileAnswers << dir.filePath("cfg");
        preview.BoutonExportPdf->click();
        QVERIFY(QFile(dir.filePath("cfg.pdf")).size() > 0);
        QVERIFY(rig.prompts.messageTexts().isEmpty());
    }
};

QTEST_MAIN(TestReport)
#include "test_report.moc"
