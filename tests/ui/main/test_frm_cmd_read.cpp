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
    explicit Fixture(const QString& langue = QStringLiteral("En")) {
        prompts.messagesAreUnexpected = true;
        EcrireIni(s.langueIni(), QStringLiteral("ValueSupervision"), QStringLiteral("Langue"),
                  langue);
    }
    QString get(const QString& sec, int key) const { return LireIni(s.generalIni(), sec, QString::number(key)); }
    void set(const QString& sec, int key, const QString& v) { EcrireIni(s.generalIni(), sec, QString::number(key), v); }
    QString entry(int key) const { return get(kCmdReadSyn, key); }
    QString mark(int key) const { return get(kReadX, key); }
    void setEntry(int key, const QString& text) { set(kCmdReadSyn, key, text); }
    void setMark(int key, const QString& text) { set(kReadX, key, text); }
    QStringList list() const {
        QStringList out;
        for (const auto& e : readCatalogue(s.generalIni(), kCmdReadSyn, false))
            out << e.text;
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
    void notUsedEntryShiftsRowsAndMarks() {
        Fixture f;
        f.setEntry(3, QStringLiteral("not used"));
        f.setMark(3, QStringLiteral("X"));
        f.setMark(4, QStringLiteral("x"));
        {
            FrmCmdRead w(f.s);
            Grid* g = w.vaSpreadRead;
            QCOMPARE(g->lastRowWithData(), 6);
            QCOMPARE(g->rowCount(), 16);
            QCOMPARE(g->cellText(2, 2), QStringLiteral("OPW"));
            QCOMPARE(g->cellText(3, 2), QStringLiteral("ID1"));
            QCOMPARE(g->cellText(3, 3), QStringLiteral("x")); // READ X key 4, the entry's own key
            QCOMPARE(g->cellText(2, 3), QString());
            QCOMPARE(g->cellText(6, 2), QStringLiteral("ALA"));
            w.SauverCommandesGet();
        }
        // Rows are written under their row numbers; the list reads back as it was shown.
        QCOMPARE(f.entry(3), QStringLiteral("ID1 (Read Diode 1 Actual Current)"));
        QCOMPARE(f.mark(3), QStringLiteral("X"));
        QCOMPARE(f.mark(4), QString());
        QCOMPARE(f.list().size(), 6);
        QCOMPARE(f.list().last(), QStringLiteral("ALA (Read the alarms)"));
    }

    void loadAndSaveKeepsTheList() {
        Fixture f;
        f.setEntry(2, QStringLiteral("NOSPACE")); // no command: the whole text is the description
        f.setMark(2, QStringLiteral("X"));
        f.setMark(5, QStringLiteral("junk"));
        const QStringList before = f.list();
        FrmCmdRead w(f.s);
        Grid* g = w.vaSpreadRead;
        QCOMPARE(g->lastRowWithData(), 7);
        QCOMPARE(g->rowCount(), 17); // ten spare rows
        QCOMPARE(g->cellText(7, 2), QStringLiteral("ALA"));
        QCOMPARE(g->cellText(7, 1), QStringLiteral("(Read the alarms)"));
        QCOMPARE(g->cellText(2, 2), QString());
        QCOMPARE(g->cellText(2, 1), QStringLiteral("NOSPACE"));
        QSignalSpy closed(&w, &QDialog::accepted);
        w.show();
        QTest::mouseClick(w.Enregistrer, Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(f.list(), before);
        QCOMPARE(f.mark(2), QStringLiteral("X"));
        QCOMPARE(f.mark(5), QString()); // only "X" is a mark
    }

    void selectAllCaptionCycle() {
        Fixture f(QStringLiteral("Fr"));
        f.setMark(1, QStringLiteral("X"));
        f.setMark(6, QStringLiteral("X"));
        FrmCmdRead w(f.s);
        Grid* g = w.vaSpreadRead;
        // The French caption is not "&Select all": the first click clears.
        QTest::mouseClick(w.Selectionner, Qt::LeftButton);
        QCOMPARE(w.Selectionner->text(), QStringLiteral("&Select all"));
        for (int r = 1; r <= 7; ++r)
            QCOMPARE(g->cellText(r, 3), QString());

        QTest::mouseClick(w.Selectionner, Qt::LeftButton);
        QCOMPARE(w.Selectionner->text(), QStringLiteral("&De-select all"));
        for (int r = 1; r <= 7; ++r)
            QVERIFY(isRedCentredMark(g, r));
        QCOMPARE(g->cellText(8, 3), QString()); // only data rows

        w.SauverCommandesGet();
        for (int k = 1; k <= 7; ++k)
            QCOMPARE(f.mark(k), QStringLiteral("X"));
    }

    void cellClicksToggleMarks() {
        Fixture f;
        f.setMark(4, QStringLiteral("X"));
        FrmCmdRead w(f.s);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Grid* g = w.vaSpreadRead;

        clickCell(g, 2, 3);
        QVERIFY(isRedCentredMark(g, 2));
        clickCell(g, 4, 3);
        QCOMPARE(g->cellText(4, 3), QString());
        clickCell(g, 2, 3);
        QCOMPARE(g->cellText(2, 3), QString());
        clickCell(g, 5, 3);
        clickCell(g, 6, 1); // other columns do nothing
        clickCell(g, 6, 2);

        w.SauverCommandesGet();
        for (int k = 1; k <= 7; ++k)
            QCOMPARE(f.mark(k), k == 5 ? QStringLiteral("X") : QString());
    }
};

QTEST_MAIN(TestFrmCmdRead)
#include "test_frm_cmd_read.moc"
