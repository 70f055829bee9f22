// Record files on a full disk: a file-size limit in a child process, binding root too.
#include "core/supervision/RecordFile.h"
#include "support/Child.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;
using namespace tav::test;

class TestRecordLines : public QObject {
    Q_OBJECT
private slots:
    // A line goes in whole or not at all: a short write is cut back to the last whole line and
    // gives the system's reason; a file a failed write left empty is removed.
    void wholeLinesOnly_data() {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("linesKept");
        QTest::newRow("second line torn") << 30 << 1;
        QTest::newRow("first line torn") << 10 << 0;
    }
    void wholeLinesOnly() {
        QFETCH(int, limit);
        QFETCH(int, linesKept);
        QTemporaryDir d;
        const QByteArray line = "01/02/2026\t12.5\t\r\n"; // 19 bytes
        const int written = inChild([limit] { limitFileSize(rlim_t(limit)); }, [&] {
            RecordFile f;
            int n = 0;
            if (f.create(d.path(), "rec", ".xls"))
                while (n < 3 && f.append(line))
                    ++n;
            const bool told = f.error().endsWith(": File too large.");
            f.close();
            return told ? n : 9;
        });
        QCOMPARE(written, linesKept);
        QCOMPARE(fileBytes(d.filePath("rec.xls")), line.repeated(linesKept));
        QCOMPARE(QDir(d.path()).entryList(QDir::Files).size(), linesKept ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestRecordLines)
#include "test_record_lines.moc"
