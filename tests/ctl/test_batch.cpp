// tavoemctl batch runs: several simulated boards at once, one of them unplugged.
#include "core/link/QtSerialPort.h"
#include "support/Child.h"
#include "support/Files.h"
#include "support/Pty.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tav;

class TestBatch : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    test::SimProcess sims_[4]; // BATCH-0, BATCH-1, BATCH-2 (unplugged), BATCH-0 again

    // tavoemctl with the boards `which` as --port; its stdout lines, status in *status. Files
    // cannot grow past `fileLimit` bytes (a full disk), when given.
    QStringList ctl(const QStringList& args, std::initializer_list<int> which, int* status,
                    rlim_t fileLimit = 0) {
        QStringList ports;
        for (int i : which)
            ports << "--port" << dir_.filePath(QStringLiteral("board%1").arg(i));
        QProcess p;
        if (fileLimit) p.setChildProcessModifier([fileLimit] { test::limitFileSize(fileLimit); });
        p.start(qEnvironmentVariable("TAVOEMCTL_BIN"),
                args + QStringList{"--program-dir", dir_.filePath("program")} + ports);
        p.waitForFinished(120000);
        *status = p.exitCode();
        return QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase() {
        for (int i = 0; i < 4; ++i)
            QVERIFY(sims_[i].start({"--no-noise", "--serial", QStringLiteral("BATCH-%1").arg(i % 3),
                                    "--link", dir_.filePath(QStringLiteral("board%1").arg(i))}));
        QCOMPARE(sims_[2].command("unplug"), QStringLiteral("unplugged"));
    }

    // Each board's values bear its port, then one summary line per port; the unplugged board
    // fails alone. With --json, an object keyed by port in its schema.
    void read() {
        int status = -1;
        const QByteArray json = ctl({"read", "--json"}, {0, 1, 2}, &status).join('\n').toUtf8();
        QCOMPARE(test::schemaFaults(json, "batch-read"), QString());
        const QStringList lines = ctl({"read"}, {0, 1, 2}, &status);
        QCOMPARE(status, 1);
        for (int i : {0, 1}) {
            const QString port = dir_.filePath(QStringLiteral("board%1").arg(i));
            QVERIFY(lines.contains(QStringLiteral("%1 SNU=BATCH-%2").arg(port).arg(i)));
            QVERIFY(lines.contains(QStringLiteral("%1 PON=20").arg(port)));
            QVERIFY(lines.filter(QRegularExpression(QStringLiteral("^%1\tBATCH-%2\tread\t[0-9.]+$")
                                                        .arg(port).arg(i)))
                        .size() == 1);
        }
        QVERIFY(lines.filter(QRegularExpression("^" + dir_.filePath("board2") + "\t-\t")).size() == 1);
        // A pattern line of a ports file stands for the devices it matches now (board 2 is
        // unplugged: no device behind its link); one that matches none is refused.
        QVERIFY(test::writeBytes(dir_.filePath("ports.txt"), "./board[0-2]\n") && test::writeBytes(dir_.filePath("none.txt"), "none*\n"));
        QCOMPARE(ctl({"read", "--ports-from", dir_.filePath("ports.txt")}, {}, &status).filter(QRegularExpression("\tBATCH-[01]\tread\t")).size(), 2);
        QCOMPARE(status, 0);
        ctl({"read", "--ports-from", dir_.filePath("none.txt")}, {}, &status);
        QCOMPARE(status, 2);
        QtSerialPort holder; // another program holds board 3: its own outcome, not a missing port
        QVERIFY(holder.open(dir_.filePath("board3"), {}, nullptr));
        QVERIFY(ctl({"read", "--json"}, {0, 3}, &status).join('\n').contains("\"result\": \"port busy\""));
    }

    // Reports named after serial numbers; the second board of the same number gets "_2"; the
    // summary in its schema. A full disk leaves no file, not even an empty one.
    void reportOutDir() {
        int status = -1;
        const QString out = dir_.filePath("reports");
        const QStringList json = ctl({"report", "--json", "--out-dir", out}, {0, 1, 2, 3}, &status);
        QCOMPARE(test::schemaFaults(json.join('\n').toUtf8(), "batch"), QString());
        QVERIFY(json.contains("        \"result\": \"port missing\",")); // the unplugged one
        QCOMPARE(status, 1);
        QDir d(out);
        QCOMPARE(d.entryList(QDir::Files),
                 QStringList({"BATCH-0.pdf", "BATCH-0_2.pdf", "BATCH-1.pdf"}));
        for (const QString& f : d.entryList(QDir::Files))
            QVERIFY(QFileInfo(d.filePath(f)).size() > 1000);
        ctl({"report", "--out-dir", dir_.filePath("full")}, {0, 1}, &status, 4096);
        QVERIFY(status == 2 && QDir(dir_.filePath("full")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "test_batch.moc"
