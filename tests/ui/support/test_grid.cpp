#include "ui/support/Grid.h"

#include <QHeaderView>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <vector>

using tav::Grid;

class TestGrid : public QObject {
    Q_OBJECT

private slots:
    void cellsHeaderAndAddressedCell();
    void lastRowFollowsWritesAndClears();
    void blockClear();
    void growthAndShrinkLeaveNoStaleText();
    void appearanceAndEditability();
    void clicksAndGoToCell();
    void matchesReferenceUnderRandomEdits();
};

void TestGrid::cellsHeaderAndAddressedCell() {
    Grid g;
    g.setColumnCount(3);
    g.setRowCount(25);
    g.setCellText(0, 1, QStringLiteral("Command"));
    g.setCellText(0, 3, QStringLiteral("Monitoring"));
    QCOMPARE(g.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Command"));
    QCOMPARE(g.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Monitoring"));
    QCOMPARE(g.lastRowWithData(), 0); // the header row is not data

    // Row / Col / Text as the windows walk a sheet.
    g.setRow(4);
    g.setCol(2);
    QVERIFY(g.setText(QStringLiteral("RP2")));
    QCOMPARE(g.cellText(4, 2), QStringLiteral("RP2"));
    g.setRow(0);
    QCOMPARE(g.text(), QString());
    g.setCol(3);
    QCOMPARE(g.text(), QStringLiteral("Monitoring"));
    QCOMPARE(g.model()->data(g.model()->index(3, 1)).toString(), QStringLiteral("RP2"));

    // Non-ASCII, long (multi-byte length prefix) and empty neighbours survive.
    const QString longText = QString(300, QChar(u'é'));
    g.setCellText(5, 3, longText);
    g.setCellText(5, 1, QStringLiteral("25 °C"));
    QCOMPARE(g.cellText(5, 3), longText);
    QCOMPARE(g.cellText(5, 1), QStringLiteral("25 °C"));
    QCOMPARE(g.cellText(5, 2), QString());

    // Outside the grid: ignored.
    QVERIFY(!g.setCellText(26, 1, QStringLiteral("x")));
    QVERIFY(!g.setCellText(1, 4, QStringLiteral("x")));
    QVERIFY(!g.setCellText(1, 0, QStringLiteral("x")));
    QVERIFY(!g.setCellText(-1, 1, QStringLiteral("x")));
    QCOMPARE(g.cellText(26, 1), QString());
    QCOMPARE(g.lastRowWithData(), 5);
}

void TestGrid::lastRowFollowsWritesAndClears() {
    Grid g;
    g.setColumnCount(4);
    g.setRowCount(10);
    g.setCellText(3, 2, QStringLiteral("a"));
    g.setCellText(7, 4, QStringLiteral("b"));
    g.setCellText(7, 1, QStringLiteral("c"));
    QCOMPARE(g.lastRowWithData(), 7);

    g.setCellText(7, 4, QString());
    QCOMPARE(g.lastRowWithData(), 7); // column 1 still holds "c"
    g.setCellText(7, 1, QString());
    QCOMPARE(g.lastRowWithData(), 3);
    g.setCellText(9, 3, QString()); // writing nothing into an empty row changes nothing
    QCOMPARE(g.lastRowWithData(), 3);
    g.setCellText(3, 2, QString());
    QCOMPARE(g.lastRowWithData(), 0);

    // Emptying a middle cell keeps the cells after it.
    g.setCellText(2, 1, QStringLiteral("1"));
    g.setCellText(2, 2, QStringLiteral("2"));
    g.setCellText(2, 3, QStringLiteral("3"));
    g.setCellText(2, 2, QString());
    QCOMPARE(g.cellText(2, 3), QStringLiteral("3"));
    g.setCellText(2, 2, QStringLiteral("twenty-two"));
    QCOMPARE(g.cellText(2, 1), QStringLiteral("1"));
    QCOMPARE(g.cellText(2, 2), QStringLiteral("twenty-two"));
    QCOMPARE(g.cellText(2, 3), QStringLiteral("3"));
}

void TestGrid::blockClear() {
    Grid g;
    g.setColumnCount(4);
    g.setRowCount(6);
    for (int r = 0; r <= 5; ++r)
        for (int c = 1; c <= 4; ++c)
            g.setCellText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
    g.setCellColor(4, 3, QColor(255, 0, 0));

    g.clearBlock(3, 2);
    for (int r = 0; r <= 5; ++r)
        for (int c = 1; c <= 4; ++c) {
            const bool kept = r < 3 || c < 2;
            QCOMPARE(g.cellText(r, c), kept ? QStringLiteral("%1.%2").arg(r).arg(c) : QString());
        }
    QCOMPARE(g.lastRowWithData(), 5);            // column 1 of rows 3 to 5 remains
    QCOMPARE(g.cellColor(4, 3), QColor(255, 0, 0)); // text only

    g.clearBlock(1, 1); // the sheet is emptied, the header row is not
    QCOMPARE(g.lastRowWithData(), 0);
    for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 4; ++c)
            QCOMPARE(g.cellText(r, c), QString());
    QCOMPARE(g.cellText(0, 4), QStringLiteral("0.4"));

    g.clearBlock(0, 3);
    QCOMPARE(g.cellText(0, 2), QStringLiteral("0.2"));
    QCOMPARE(g.cellText(0, 3), QString());

    // Clearing past the grid is harmless.
    g.clearBlock(7, 1);
    g.clearBlock(1, 9);
    QCOMPARE(g.cellText(0, 2), QStringLiteral("0.2"));
}

void TestGrid::growthAndShrinkLeaveNoStaleText() {
    Grid g;
    g.setColumnCount(9);
    g.setRowCount(100);
    g.setCellText(100, 9, QStringLiteral("last"));
    g.setCellText(40, 1, QStringLiteral("forty"));

    g.setRowCount(g.rowCount() + 100); // the measurement sheet grows by 100 rows
    QCOMPARE(g.rowCount(), 200);
    QCOMPARE(g.model()->rowCount(), 200);
    for (int r = 101; r <= 200; ++r)
        for (int c = 1; c <= 9; ++c)
            QVERIFY(g.cellText(r, c).isEmpty());
    QVERIFY(g.setCellText(150, 2, QStringLiteral("new")));
    QCOMPARE(g.lastRowWithData(), 150);

    g.setRowCount(60); // drops rows 61 and up ...
    QCOMPARE(g.lastRowWithData(), 40);
    g.setRowCount(200); // ... for good
    QCOMPARE(g.cellText(100, 9), QString());
    QCOMPARE(g.cellText(150, 2), QString());
    QCOMPARE(g.lastRowWithData(), 40);

    g.setCellText(50, 5, QStringLiteral("five"));
    g.setColumnCount(4);
    QCOMPARE(g.lastRowWithData(), 40);
    g.setColumnCount(9);
    QCOMPARE(g.cellText(50, 5), QString());
    QCOMPARE(g.cellText(40, 1), QStringLiteral("forty"));
}

void TestGrid::appearanceAndEditability() {
    Grid g;
    g.setColumnCount(3);
    g.setRowCount(5);
    g.setCellText(2, 3, QStringLiteral("X"));
    g.setCellStatic(2, 3, true);
    g.setCellCentered(2, 3, true);
    g.setCellColor(2, 3, QColor(255, 0, 0));

    QAbstractItemModel* m = g.model();
    const QModelIndex marked = m->index(1, 2);
    const QModelIndex plain = m->index(1, 1);
    QCOMPARE(m->data(marked, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    QVERIFY(!m->data(plain, Qt::ForegroundRole).isValid());
    QVERIFY(m->data(marked, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);
    QVERIFY(m->data(plain, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);
    QVERIFY(!(m->flags(marked) & Qt::ItemIsEditable));
    QVERIFY(m->flags(plain) & Qt::ItemIsEditable);
    g.setCellColor(0, 2, QColor(0, 0, 255)); // header cells take colours too
    QCOMPARE(m->headerData(1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
             QColor(0, 0, 255));

    // The operator's edit goes through the model like any write.
    QVERIFY(m->setData(plain, QStringLiteral("typed"), Qt::EditRole));
    QCOMPARE(g.cellText(2, 2), QStringLiteral("typed"));

    g.setReadOnly(true);
    QVERIFY(!(m->flags(plain) & Qt::ItemIsEditable));
    g.setReadOnly(false);

    g.setCellStatic(2, 3, false);
    g.setCellColor(2, 3, QColor());
    QVERIFY(m->flags(marked) & Qt::ItemIsEditable);
    QVERIFY(!m->data(marked, Qt::ForegroundRole).isValid());
    QVERIFY(g.isCellCentered(2, 3));

    g.setRowCount(1); // appearance leaves with its rows
    g.setRowCount(5);
    QVERIFY(!g.isCellCentered(2, 3));
}

void TestGrid::clicksAndGoToCell() {
    Grid g;
    g.setColumnCount(3);
    g.setRowCount(1000);
    g.resize(400, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    QSignalSpy clicks(&g, &Grid::cellClicked);

    const QRect cell = g.visualRect(g.model()->index(1, 2)); // grid cell (2, 3)
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 2);
    QCOMPARE(clicks.at(0).at(1).toInt(), 3);

    QHeaderView* header = g.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(clicks.at(1).at(0).toInt(), 0);
    QCOMPARE(clicks.at(1).at(1).toInt(), 2);

    g.goToCell(270, 1, true);
    QCOMPARE(g.activeRow(), 270);
    QCOMPARE(g.activeCol(), 1);
    QCOMPARE(g.rowAt(0), 269); // the row is at the top of the view

    g.goToCell(900, 2);
    QCOMPARE(g.activeRow(), 900);
    QVERIFY(g.viewport()->rect().contains(g.visualRect(g.model()->index(899, 1))));
}

// Random writes, clears and resizes compared with a plain table, so that the compact row
// encoding and the incremental last-row count are checked on many shapes of rows.
void TestGrid::matchesReferenceUnderRandomEdits() {
    QRandomGenerator rng(20261206);
    Grid g;
    int rows = 30;
    int cols = 6;
    g.setRowCount(rows);
    g.setColumnCount(cols);
    std::vector<std::vector<QString>> ref(rows + 1, std::vector<QString>(cols + 1));
    const QString samples[] = {QString(), QStringLiteral("X"), QStringLiteral("-35"),
                               QStringLiteral("06/12/2026"), QString(200, QChar(u'z')),
                               QStringLiteral("°é€")};

    for (int step = 0; step < 5000; ++step) {
        const int op = rng.bounded(100);
        if (op < 85) {
            const int r = rng.bounded(rows + 1);
            const int c = rng.bounded(1, cols + 1);
            const QString& t = samples[rng.bounded(6)];
            g.setCellText(r, c, t);
            ref[r][c] = t;
        } else if (op < 92) {
            const int r = rng.bounded(rows + 2);
            const int c = rng.bounded(1, cols + 2);
            g.clearBlock(r, c);
            for (int rr = r; rr <= rows; ++rr)
                for (int cc = c; cc <= cols; ++cc)
                    ref[rr][cc].clear();
        } else if (op < 97) {
            rows = rng.bounded(5, 60);
            g.setRowCount(rows);
            ref.resize(rows + 1, std::vector<QString>(cols + 1));
        } else {
            cols = rng.bounded(1, 10);
            g.setColumnCount(cols);
            for (auto& row : ref)
                row.resize(cols + 1);
        }

        int last = 0;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c)
                if (!ref[r][c].isEmpty())
                    last = r;
        QCOMPARE(g.lastRowWithData(), last);
        if (step % 50 == 0 || step > 4900)
            for (int r = 0; r <= rows; ++r)
                for (int c = 1; c <= cols; ++c)
                    QCOMPARE(g.cellText(r, c), ref[r][c]);
    }
}

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
