#include "core/link/Catalogue.h"
#include "support/BoardRig.h"
#include "ui/main/FrmCmdRead.h"
#include "ui/support/Grid.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace tav;

namespace {

struct Fixture : test::BoardRig {
    Fixture() { prompts.messagesAreUnexpected = true; }
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

} // namespace

class TestFrmCmdRead : public QObject {
    Q_OBJECT
private slots:
    // A "not used" entry leaves no row: the rows below move up with their own marks, and saving
    // writes the list back under the row numbers; only "X" (any case) is a mark.
    void loadAndSave() {
        Fixture f;
        f.set(kCmdReadSyn, 2, "NOSPACE"); // no command: the whole text is the description
        f.set(kCmdReadSyn, 3, "not used");
        for (int k : {2, 3}) f.set(kReadX, k, "X");
        f.set(kReadX, 4, "x");
        f.set(kReadX, 5, "junk");
        FrmCmdRead w(f.s);
        Grid* g = w.vaSpreadRead;
        QCOMPARE(g->lastRowWithData(), 6);
        QCOMPARE(g->rowCount(), 16); // ten spare rows
        QCOMPARE(g->cellText(2, 1) + '|' + g->cellText(2, 2), "NOSPACE|");
        QCOMPARE(g->cellText(3, 2) + '|' + g->cellText(3, 3), "ID1|x");
        QCOMPARE(g->cellText(6, 1) + '|' + g->cellText(6, 2), "(Read the alarms)|ALA");
        QSignalSpy closed(&w, &QDialog::accepted);
        w.show();
        QTest::mouseClick(w.Enregistrer, Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QStringList list;
        for (const auto& e : readCatalogue(f.s.generalIni(), kCmdReadSyn, false))
            list << e.text;
        QCOMPARE(list.size(), 6);
        QCOMPARE(list[1] + '|' + list[2], "NOSPACE|ID1 (Read Diode 1 Actual Current)");
        QCOMPARE(f.get(kCmdReadSyn, 3), QStringLiteral("ID1 (Read Diode 1 Actual Current)"));
        QCOMPARE(f.marks(), QStringLiteral("-XX----"));
    }

    void selectAllCaptionCycle() {
        Fixture f;
        EcrireIni(f.s.langueIni(), "ValueSupervision", "Langue", "Fr");
        f.set(kReadX, 1, "X");
        FrmCmdRead w(f.s);
        Grid* g = w.vaSpreadRead;
        // The French caption is not "&Select all": the first click clears.
        QTest::mouseClick(w.Selectionner, Qt::LeftButton);
        QCOMPARE(w.Selectionner->text(), QStringLiteral("&Select all"));
        QCOMPARE(g->cellText(1, 3), QString());
        QTest::mouseClick(w.Selectionner, Qt::LeftButton);
        QCOMPARE(w.Selectionner->text(), QStringLiteral("&De-select all"));
        for (int r = 1; r <= 7; ++r)
            QVERIFY(isRedCentredMark(g, r));
        QCOMPARE(g->cellText(8, 3), QString()); // only data rows
        w.SauverCommandesGet();
        QCOMPARE(f.marks(), QStringLiteral("XXXXXXX"));
    }

    void cellClicksToggleMarks() {
        Fixture f;
        f.set(kReadX, 4, "X");
        FrmCmdRead w(f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Grid* g = w.vaSpreadRead;
        clickCell(g, 2, 3);
        QVERIFY(isRedCentredMark(g, 2));
        for (const QPoint& rc : {QPoint(4, 3), QPoint(2, 3), QPoint(5, 3), QPoint(6, 1), QPoint(6, 2)})
            clickCell(g, rc.x(), rc.y()); // other columns do nothing
        w.SauverCommandesGet();
        QCOMPARE(f.marks(), QStringLiteral("----X--"));
    }
};

QTEST_MAIN(TestFrmCmdRead)
#include "test_frm_cmd_read.moc"
