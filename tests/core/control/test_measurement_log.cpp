#include "core/AppState.h"
#include "core/control/MeasurementLog.h"
#include "support/ManualClock.h"
#include "support/NullPort.h"
#include "support/ScriptedPrompts.h"
#include "support/Child.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;

class TestMeasurementLog : public QObject {
    Q_OBJECT
private slots:
    void namesAndPaths() {
        const QDateTime t(QDate(2026, 12, 5), QTime(9, 7, 42));
        QCOMPARE(logBaseName(QDateTime(QDate(2026, 1, 31), QTime(23, 59))),
                 QStringLiteral("31_1_2026_23_59"));
        test::ManualClock clock;
        test::NullPort port;
        test::ScriptedPrompts prompts;
        AppState s("/prog", port, clock, prompts);
        QCOMPARE(logFilePath(s), QStringLiteral("/prog/Results/NO_NAME_M.xls"));
        QCOMPARE(s.NomJournal, QStringLiteral("/prog/Results/NO_NAME_M"));
        s.NomJournal = nomJournalFor("/prog", t);
        QCOMPARE(logFilePath(s), QStringLiteral("/prog/Results/5_12_2026_9_7.xls"));
    }

    void lineLayout() {
        QCOMPARE(logLine({"Date", "Time"}), QByteArray("Date\tTime\t\r\n"));
        // An empty warning cell leaves two TABs after the alarm text.
        QCOMPARE(logLine({"a", "00000010", ""}), QByteArray("a\t00000010\t\t\r\n"));
        QCOMPARE(logLine({"(\u00B0C)"}), QByteArray("(\xB0"
                                                    "C)\t\r\n"));
    }

    void fortyTickRhythm() {
        // First log after start: a row on the first tick, then every 40th tick.
        qint32 counter = 0;
        QList<int> due;
        for (int tick = 1; tick <= 121; ++tick) {
            if (measurementRowDue(counter)) {
                due.append(tick);
                counter = 1;
            }
        }
        QCOMPARE(due, (QList<int>{1, 41, 81, 121}));
    }

    void writesWholeSheetAndReplacesAtomically() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Results/5_12_2026_9_7.xls");
        QList<QStringList> sheet{{"Date", "Time", "Output Power (dBm)"},
                                 {"05/12/2026", "09:07:00", "12.3"},
                                 {"05/12/2026", "09:07:40", ""}};
        auto cell = [&](int r, int c) { return sheet[r].value(c - 1); };
        LogWriteResult r = writeMeasurementLog(path, 2, 3, cell);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(test::fileBytes(path), QByteArray("Date\tTime\tOutput Power (dBm)\t\r\n"
                                         "05/12/2026\t09:07:00\t12.3\t\r\n"
                                         "05/12/2026\t09:07:40\t\t\r\n"));

        // A rewrite with fewer rows replaces the file as a whole.
        const QByteArray header = "Date\tTime\tOutput Power (dBm)\t\r\n";
        QVERIFY(writeMeasurementLog(path, 0, 3, cell).ok);
        QCOMPARE(test::fileBytes(path), header);

        // A full disk (a file-size limit binds root too) while the longer sheet is written, and a
        // Results folder that is a file: the error is reported, and the last log stays as it was,
        // in the same file (a hard link to it sees no change) with no temporary file left over.
        QCOMPARE(::link(qPrintable(path), qPrintable(dir.filePath("link"))), 0);
        const int failed = test::inChild([&] { test::limitFileSize(header.size() + 10); }, [&] {
            const LogWriteResult full = writeMeasurementLog(path, 2, 3, cell);
            return !full.ok && full.error == "File too large" ? 1 : 0;
        });
        QCOMPARE(failed, 1);
        r = writeMeasurementLog(dir.filePath("link/Results/x.xls"), 2, 3, cell);
        QVERIFY(!r.ok);
        QVERIFY(r.error.contains("link"));
        QCOMPARE(QDir(dir.filePath("Results")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"5_12_2026_9_7.xls"});
        QCOMPARE(test::fileBytes(path), header);
        QCOMPARE(test::fileBytes(dir.filePath("link")), header);
    }

    // A header row goes before a data row only where the nearest header above names other
    // columns (the order of the first two readings changed, or a laser start went back to row 1).
    void headerRowsWhereTheColumnsChange() {
        const QStringList power = logHeader({"P", "I", "T", "In", "C"});
        const QStringList current = logHeader({"I", "P", "T", "In", "C"});
        QCOMPARE(power.size(), kLogColumns);
        const QList<QStringList> sheet{power, {"05/12/2026"}, current, {"05/12/2026"}};
        const auto cell = [&](int r, int c) { return sheet.value(r).value(c - 1); };
        QVERIFY(!headerNeededAt(2, power, cell));
        QVERIFY(headerNeededAt(2, current, cell));
        QVERIFY(!headerNeededAt(4, current, cell));
        QVERIFY(headerNeededAt(4, power, cell));
        QVERIFY(headerNeededAt(1, current, cell));
        QVERIFY(headerNeededAt(0, power, cell));
    }
};

QTEST_GUILESS_MAIN(TestMeasurementLog)
#include "test_measurement_log.moc"
