#include "core/supervision/Curves.h"
#include "core/supervision/RecordFile.h"
#include "core/supervision/Recorder.h"
#include "core/supervision/Supervision.h"
#include "support/BoardRig.h"
#include "support/Columns.h"
#include "support/Files.h"

#include <QFile>
#include <QTest>

using namespace tav;

class TestSupervisionCore : public QObject {
    Q_OBJECT
private slots:
    void settings_data() {
        test::columns<QString, int>({"text", "value"}); // value 0: refused
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-5" << 0;
        QTest::newRow("trailing text") << "5s" << 0;
        QTest::newRow("half to even 0") << "0.5" << 0;
        QTest::newRow("half to even 2") << "1.5" << 2;
        QTest::newRow("blanks") << " 60 " << 60;
    }
    void settings() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(acquisitionPeriod(text).value_or(0), value);
        QCOMPARE(recordEvery(text).value_or(0), value);
    }

    void names() {
        const QDateTime t(QDate(2026, 12, 5), QTime(9, 7, 30));
        QCOMPARE(recordBaseName(" TAV0001 ", t), QStringLiteral("TAV0001"));
        QCOMPARE(recordBaseName("A/B\\C", t), QStringLiteral("A_B_C"));
    }

    // Period 3600, ticks on time: the duration counts one period ahead. The label is chosen on
    // the minutes as shown.
    void schedule() {
        SupervisionSchedule s;
        s.restart();
        QVERIFY(s.due(100));
        QCOMPARE(durationText(s.take(100, 3600, true)), QStringLiteral("0.0000"));
        QVERIFY(!s.due(3699));
        const auto at = [&s](qint64 t) { return nextMeasureText(s.minutesLeft(t), "Now", "In"); };
        QCOMPARE(at(3670) + at(3696) + at(3698) + at(3701), "In 0.5 mnIn 0.1 mnNowNow");
        QVERIFY(s.due(3700));
        QCOMPARE(durationText(s.take(3700, 3600, false)), QStringLiteral("2.0000"));
        QCOMPARE(durationText(s.take(7300, 3600, false)), QStringLiteral("3.0000"));
        s.restart();
        QVERIFY(s.due(0));
    }

    // Taken names get a counter; nothing earlier is overwritten; a failed start leaves nothing.
    void recordFiles() {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath("Supervision");
        RecordFile a, b, c;
        QVERIFY(a.create(dir, "TAV0001", ".xls"));
        QVERIFY(a.append("h\t\r\n"));
        QVERIFY(b.create(dir, "TAV0001", ".xls")); // a still open
        QCOMPARE(QFileInfo(b.path()).fileName(), QStringLiteral("TAV0001_2.xls"));
        QVERIFY(b.append("x\t\r\n"));
        QCOMPARE(test::fileBytes(a.path()), QByteArray("h\t\r\n")); // flushed while still open
        QVERIFY(c.create(dir, "TAV0001", ".xls"));
        const QString third = c.path();
        QVERIFY(third.endsWith("TAV0001_3.xls"));
        c.discard();
        QVERIFY(!QFile::exists(third));
        // A folder that cannot exist (a file stands in its way): a clear error.
        QVERIFY(test::writeBytes(tmp.filePath("blocked"), {}));
        RecordFile d;
        QVERIFY(!d.create(tmp.filePath("blocked/Supervision"), "X", ".xls"));
        QVERIFY2(d.error().contains("cannot be created: " +
                                    QDir::toNativeSeparators(tmp.filePath("blocked")) +
                                    " is a file, not a folder."),
                 qPrintable(d.error()));
        QVERIFY(!d.append("y"));
    }

    // silent: 1 OPW? answers no number, 2 the port is gone, 3 it goes at the fifth read;
    // endRow: the missing-answer policy.
    void measureRow_data() {
        test::columns<int, bool, bool, int, bool, int, int>(
            {"stopAfter", "storeFails", "goOn", "silent", "endRow", "sent", "unanswered"});
        QTest::newRow("whole row") << 99 << false << false << 0 << false << 8 << 0;
        QTest::newRow("stop after the third") << 3 << false << false << 0 << false << 3 << 0;
        QTest::newRow("failure, OK") << 99 << true << true << 0 << false << 8 << 0;
        QTest::newRow("failure, Cancel") << 99 << true << false << 0 << false << 1 << 0;
        QTest::newRow("no number, left empty") << 99 << false << false << 1 << false << 8 << 1;
        QTest::newRow("port gone, row ended") << 99 << false << false << 2 << true << 0 << 1;
        QTest::newRow("port lost in the row, ended") << 99 << false << false << 3 << true << 4 << 1;
    }
    void measureRow() {
        QFETCH(bool, storeFails);
        QFETCH(bool, goOn);
        QFETCH(bool, endRow);
        QFETCH(int, sent);
        QFETCH(int, unanswered);
        QFETCH(int, silent);
        test::BoardRig rig;
        rig.s.NbRepetitions = 0;
        rig.refuse(silent == 1 ? "OPW?" : "-", "OPW=1.5e");
        if (silent == 2) rig.port.unplug();
        if (silent == 3) rig.port.setDropAfter(4);
        int stored = 0;
        const RowReads r = MesurerLigne(
            rig.s, supervisionMnemonics(), MissingAnswer(endRow),
            [&](int, const QString&) { return ++stored, !storeFails; },
            [&] { return rig.sent().size() >= test::fetch<int>("stopAfter"); },
            [&](const QString&) { return goOn; });
        QCOMPARE(rig.sent().size(), sent);
        QCOMPARE(stored, sent - unanswered * (silent == 1));
        QCOMPARE(r.unanswered.size(), unanswered);
        QCOMPARE(r.endRun, storeFails ? !goOn : unanswered && endRow);
        QCOMPARE(r.linkLost(), silent >= 2);
    }

    // The recorder as the window drives it and as tavoemctl record does (`end`: the run ends,
    // unless --yes): six rows a minute apart, the day changing at row 3, OPW? silent on row
    // `silent`. A line reads [D]row[-empty cells]; "|n": the run ended at row n.
    void recorder_data() {
        test::columns<int, int, bool, QString>({"every", "silent", "end", "lines"});
        QTest::newRow("window, every 2") << 2 << 4 << false << "D2 D4-1 6";
        QTest::newRow("record --yes") << 1 << 4 << false << "D1 2 D3 4-1 5 6";
        QTest::newRow("record") << 1 << 4 << true << "D1 2 D3 4-7 |4";
        QTest::newRow("record --every 2") << 2 << 3 << true << "D2 |3";
        QTest::newRow("record, all answered") << 2 << 0 << true << "D2 D4 6";
    }
    void recorder() {
        test::BoardRig rig;
        SupervisionRecorder rec(rig.s);
        QVERIFY(rec.file().create(rig.dir.filePath("Supervision"), "TAV", ".xls"));
        QVERIFY(rec.start({60, test::fetch<int>("every"), MissingAnswer(test::fetch<bool>("end"))},
                          {"DATE"}));
        QString ended;
        for (int row = 1; row <= 6 && ended.isEmpty(); ++row) {
            rec.noteDate(row < 3 ? "05/12/2026" : "06/12/2026");
            rig.refuse(row == test::fetch<int>("silent") ? "OPW?" : "-", "");
            if (rec.takeRow(row * 60, QString::number(row), {}).endRun)
                ended = QStringLiteral("|%1").arg(row);
        }
        QStringList got;
        for (const QString& line : QString::fromLatin1(test::fileBytes(rec.file().path()))
                                       .split("\r\n", Qt::SkipEmptyParts).mid(1)) {
            const QStringList c = line.split('\t');
            const qsizetype n = c.mid(3, kSupervisionColumns - 3).count(QString()); // empty
            got << (c[0].isEmpty() ? "" : "D") + c[1] + (n ? u'-' + QString::number(n) : "");
        }
        QCOMPARE((got << ended).join(' ').trimmed(), test::fetch<QString>("lines"));
    }

    // A run on the manual clock started off a whole second: rows at 0, P, 2P ... seconds of the
    // run below its duration (the bound in rows: tavoemctl record).
    void runLength() {
        test::BoardRig rig;
        SupervisionRecorder rec(rig.s);
        QVERIFY(rec.file().create(rig.dir.filePath("Supervision"), "TAV", ".xls") && rec.start({2}, {"DATE"}));
        rig.clock.advance(700);
        const qint64 start = rig.clock.now();
        QStringList at;
        RowHooks hooks;
        hooks.timed = [&](auto&) { at << QString::number((rig.clock.now() - start) / 1000); };
        rec.run({6, {}}, hooks, [] { return QDateTime(QDate(2026, 12, 5), QTime(9, 0)); },
                [] { return false; }, [](auto&) { return true; });
        QCOMPARE(at.join(' '), "0 2 4");
    }

    // Rows: duration, IPW, ... as the sheet holds them; the last row is not drawn yet.
    void curves_data() {
        // points: x:y of item 0
        test::columns<QStringList, QStringList, QString, double>(
            {"durations", "ipw", "points", "axisMax"});
        QTest::newRow("two rows give one point") << QStringList{"0.0000", "0.0003"}
                                                 << QStringList{"-35", "-34"} << "0:-3.5" << 1.0;
        QTest::newRow("empty cell repeats") << QStringList{"0", "0.5", "0.7", "0.8"}
                                            << QStringList{"-35", "", "-20", ""}
                                            << "0:-3.5 0.5:-3.5 0.7:-2" << 1.0;
        QTest::newRow("first empty is 0") << QStringList{"0", "0.5"} << QStringList{"", "1"}
                                          << "0:0" << 1.0;
        QTest::newRow("not a number skipped") << QStringList{"0", "0.5", "0.7"}
                                              << QStringList{"10", "xxx", "1"} << "0:1" << 1.0;
        QTest::newRow("3.5 h maximum") << QStringList{"0", "3.5", "3.6"}
                                       << QStringList{"1", "2", "3"} << "0:0.1 3.5:0.2" << 4.5;
    }
    void curves() {
        QFETCH(QStringList, durations);
        SupervisionCurves c;
        c.update(1, [](int, int) { return QString(); }); // one row: nothing yet
        QCOMPARE(c.plot(0).count(), 0);
        // Fed one row at a time, as the acquisition does.
        for (int n = 2; n <= durations.size(); ++n)
            c.update(n, [&](int r, int col) {
                return col == 3   ? durations[r - 1]
                       : col == 4 ? test::fetch<QStringList>("ipw")[r - 1]
                                  : QString::number(col * 10); // 50 in OPW, 60 in PS2, ...
            });
        QStringList got, others;
        for (const QPointF& p : c.plot(0).points())
            got << QStringLiteral("%1:%2").arg(p.x()).arg(p.y());
        QTEST(got.join(' '), "points");
        QTEST(c.axisMax(), "axisMax");
        for (int i = 1; i < kCurveCount; ++i) // each curve's column over its divisor
            others << QString::number(c.plot(i).minY()) + '/' + QString::number(c.plot(i).maxY());
        QCOMPARE(others.join(' '), "5/5 6/6 110/110 70/70 80/80 90/90");
    }

    // A week of rows stays a bounded series that keeps every extreme.
    void reductionKeepsExtremes() {
        PlotReduction p(512);
        const int rows = 604800;
        for (int r = 0; r < rows; ++r)
            p.add(r / 3600.0, r == 300000 ? 99.0 : r == 400000 ? -99.0 : (r % 7));
        const QList<QPointF> pts = p.points();
        QVERIFY(pts.size() <= 4 * 512);
        QVERIFY(std::is_sorted(pts.begin(), pts.end(),
                               [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
        QVERIFY(std::any_of(pts.begin(), pts.end(), [](const QPointF& q) { return q.y() == 99; }));
        QVERIFY(std::any_of(pts.begin(), pts.end(), [](const QPointF& q) { return q.y() == -99; }));
        QCOMPARE(pts.last().x(), (rows - 1) / 3600.0);
        QCOMPARE(p.minY(), -99.0);
        QCOMPARE(p.count(), qint64(rows));
    }
};

QTEST_GUILESS_MAIN(TestSupervisionCore)
#include "test_supervision_core.moc"
