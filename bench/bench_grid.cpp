// Grid capacity: a week of one-second supervision rows (600,000 x 10 cells).
// Prints time and resident memory to fill the sheet, to query the last row holding data and to
// clear it. Run: bench_grid [rows]
#include "Resident.h"
#include "ui/support/Grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <malloc.h>

namespace {

using tav::bench::residentKb;

double mb(long kb) { return kb / 1024.0; }

// One supervision row as the sheet holds it: date, time, duration, then seven board answers.
void writeRow(tav::Grid& grid, int r) {
    grid.setCellText(r, 1, QStringLiteral("06/12/2026"));
    grid.setCellText(r, 2, QStringLiteral("%1:%2:%3")
                               .arg(r / 3600 % 24, 2, 10, QLatin1Char('0'))
                               .arg(r / 60 % 60, 2, 10, QLatin1Char('0'))
                               .arg(r % 60, 2, 10, QLatin1Char('0')));
    grid.setCellText(r, 3, QString::number(r));
    grid.setCellText(r, 4, QString::number(150 + r % 7));
    grid.setCellText(r, 5, QString::number(-35 - r % 11));
    grid.setCellText(r, 6, QString::number(2450 + r % 97));
    grid.setCellText(r, 7, QString::number(812 + r % 13));
    grid.setCellText(r, 8, QString::number(25 + r % 3));
    grid.setCellText(r, 9, QString::number(31 + r % 5));
    grid.setCellText(r, 10, QStringLiteral("0"));
}

void run(const char* label, int rows, bool shown, bool redraw) {
    tav::Grid grid;
    grid.resize(900, 600);
    if (shown)
        grid.show();
    QApplication::processEvents();
    grid.setColumnCount(10);
    grid.setRowCount(500);
    const char* headers[] = {"Date", "Time", "Duration", "OPW", "IPW", "LDC", "ID1",
                             "LDT", "CAT", "ALA"};
    for (int c = 1; c <= 10; ++c)
        grid.setCellText(0, c, QString::fromLatin1(headers[c - 1]));

    malloc_trim(0);
    const long before = residentKb();
    QElapsedTimer t;
    t.start();
    grid.setRedraw(redraw);
    for (int r = 1; r <= rows; ++r) {
        if (r > grid.rowCount())
            grid.setRowCount(grid.rowCount() + 500); // grows as the supervision window does
        writeRow(grid, r);
        if (r % 27 == 0 && shown && redraw)
            grid.goToCell(r, 1, true);
    }
    grid.setRedraw(true);
    QApplication::processEvents();
    const double fillMs = t.nsecsElapsed() / 1e6;
    const long filled = residentKb();
    const double storeMb = grid.gridModel()->storageBytes() / 1048576.0;

    t.restart();
    const int queries = 1'000'000;
    long long sum = 0;
    tav::Grid* volatile target = &grid; // keeps the call inside the loop
    for (int i = 0; i < queries; ++i)
        sum += target->lastRowWithData();
    const double queryNs = double(t.nsecsElapsed()) / queries;

    t.restart();
    grid.clearBlock(1, 1);
    QApplication::processEvents();
    const double clearMs = t.nsecsElapsed() / 1e6;
    const long cleared = residentKb();
    malloc_trim(0);
    const long trimmed = residentKb();

    std::printf("%s\n", label);
    std::printf("  fill %d rows x 10 cells:   %9.1f ms  (%.2f us/row)\n", rows, fillMs,
                fillMs * 1000 / rows);
    std::printf("  resident before / filled:  %9.1f MB / %.1f MB  (+%.1f MB; cell store %.1f MB)\n",
                mb(before), mb(filled), mb(filled - before),
                storeMb);
    std::printf("  lastRowWithData():         %9.1f ns/call  (last row %lld)\n", queryNs,
                sum / queries);
    std::printf("  clearBlock(1, 1):          %9.1f ms  (last row now %d)\n", clearMs,
                grid.lastRowWithData());
    std::printf("  resident cleared / trimmed:%9.1f MB / %.1f MB\n", mb(cleared), mb(trimmed));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 600'000;
    std::printf("process resident at start: %.1f MB\n", mb(residentKb()));
    run("shown grid, cell by cell, scrolling every 27 rows (as the supervision window writes):",
        rows, true, true);
    run("shown grid, redraw off during the fill:", rows, true, false);
    run("hidden grid (model and view, nothing on screen):", rows, false, true);
    return 0;
}
