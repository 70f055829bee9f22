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
    void cellsHeaderAndAddressedCell() {
        Grid g;
        g.setColumnCount(3);
        g.setRowCount(25);
        g.setCellText(0, 3, QStringLiteral("Monitoring"));
        QCOMPARE(g.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Monitoring"));
        QCOMPARE(g.lastRowWithData(), 0); // the header row is not data

        // Row / Col / Text as the windows walk a sheet.
        g.setRow(4);
        g.setCol(2);
        QVERIFY(g.setText(QStringLiteral("RP2")));
        QCOMPARE(g.model()->data(g.model()->index(3, 1)).toString(), QStringLiteral("RP2"));
        g.setRow(0);
        g.setCol(3);
        QCOMPARE(g.text(), QStringLiteral("Monitoring"));

        // Outside the grid: ignored.
        for (const QPoint& rc : {QPoint(26, 1), QPoint(1, 4), QPoint(1, 0), QPoint(-1, 1)})
            QVERIFY(!g.setCellText(rc.x(), rc.y(), QStringLiteral("x")));
        QCOMPARE(g.lastRowWithData(), 4);
    }

    void appearanceAndEditability() {
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
        // The operator's edit goes through the model like any write.
        QVERIFY(m->setData(plain, QStringLiteral("typed"), Qt::EditRole));
        QCOMPARE(g.cellText(2, 2), QStringLiteral("typed"));

        g.setReadOnly(true);
        QVERIFY(!(m->flags(plain) & Qt::ItemIsEditable));

        g.setRowCount(1); // appearance leaves with its rows
        g.setRowCount(5);
        QVERIFY(!g.isCellCentered(2, 3));
    }

    void clicksAndGoToCell() {
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
        QCOMPARE(clicks.at(1).at(0).toInt(), 0); // the header is row 0

        g.goToCell(270, 1, true);
        QCOMPARE(g.activeRow(), 270);
        QCOMPARE(g.activeCol(), 1);
        QCOMPARE(g.rowAt(0), 269); // the row is at the top of the view

        g.goToCell(900, 2);
        QCOMPARE(g.activeRow(), 900);
        QVERIFY(g.viewport()->rect().contains(g.visualRect(g.model()->index(899, 1))));
    }

    // Random writes, clears and resizes compared with a plain table, so that the compact row
    // encoding, the incremental last-row count, block clears and resizes (no stale text after a
    // shrink and regrowth) are checked on many shapes of rows.
    void matchesReferenceUnderRandomEdits() {
        QRandomGenerator rng(20261206);
        Grid g;
        int rows = 30;
        int cols = 6;
        g.setRowCount(rows);
        g.setColumnCount(cols);
        std::vector<std::vector<QString>> ref(rows + 1, std::vector<QString>(cols + 1));
        const QString samples[] = {QString(),
                                   QStringLiteral("X"),
                                   QStringLiteral("-35"),
                                   QStringLiteral("06/12/2026"),
                                   QString(300, QChar(u'é')),
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
                    if (!ref[r][c].isEmpty()) last = r;
            QCOMPARE(g.lastRowWithData(), last);
            if (step % 50 == 0 || step > 4900)
                for (int r = 0; r <= rows; ++r)
                    for (int c = 1; c <= cols; ++c)
                        QCOMPARE(g.cellText(r, c), ref[r][c]);
        }
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
