#include "core/download/HexFile.h"
#include "support/Columns.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;

namespace {

// Four sound data records and the end-of-file record.
const QByteArray kSound = ":10010000214601360121470136007EFE09D2190140\r\n"
                          ":100110002146017E17C20001FF5F16002148011928\r\n"
                          ":10012000194E79234623965778239EDA3F01B2CAA7\r\n"
                          ":100130003F0156702B5E712B722B732146013421C7\r\n"
                          ":00000001FF\r\n";

QByteArray withLine(int line, const QByteArray& replacement) {
    QList<QByteArray> lines = kSound.split('\n');
    lines[line - 1] = replacement + '\r';
    return lines.join('\n');
}

} // namespace

class TestDownloadCore : public QObject {
    Q_OBJECT
private slots:
    void namesTheFirstBadLine_data() {
        test::columns<QByteArray, int, QString>({"content", "line", "what"});
        QTest::newRow("sound") << kSound << 0 << "";
        QTest::newRow("checksum") << withLine(2, ":100110002146017E17C20001FF5F16002148011929") << 2
                                  << "its checksum is 29, its bytes give 28";
        QTest::newRow("odd length")
            << withLine(3, ":10012000194E7923462396577") << 3 << "odd number of hex digits";
        QTest::newRow("short data") << withLine(1, ":0500000000010203F5") << 1
                                    << "length byte gives 5 data bytes but it holds 4";
        QTest::newRow("not hex") << withLine(1, ":04000000000102G3F6") << 1
                                 << "character 16, \"G\" (code 71), is not a hex digit";
        QTest::newRow("no colon") << withLine(4, "0400000000010203F6") << 4
                                  << "does not start with";
        QTest::newRow("empty line") << withLine(2, "") << 2 << "the line is empty";
        QTest::newRow("comma") << withLine(2, ":04000000,00010203F6") << 2 << "comma";
        QTest::newRow("no end record")
            << kSound.left(kSound.lastIndexOf(":0")) << 4 << "without an end-of-file record";
        QTest::newRow("after end") << kSound + ":00000001FF" << 6 << "follows the end-of-file";
        QTest::newRow("blank lines at the end") << kSound + "\r\n  \r\n" << 0 << "";
    }
    void namesTheFirstBadLine() {
        QFETCH(QString, what);
        const HexProblem p = verifierHex(lireItems(test::fetch<QByteArray>("content")));
        QTEST(p.line, "line");
        QVERIFY2(p.what.contains(what), qPrintable(p.what));
    }

    // A sound file is read whole by every download in test_download_windows.
    void refusesUnusableFiles_data() {
        QTest::addColumn<QString>("error"); // the row's tag is the kind of file
        QTest::newRow("missing") << "does not exist";
        QTest::newRow("folder") << "is a folder";
        QTest::newRow("device") << "not a regular file";
        QTest::newRow("empty") << "is empty";
        QTest::newRow("huge") << "larger than 64 MB";
        QTest::newRow("sound") << "";
    }
    void refusesUnusableFiles() {
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        QTemporaryDir dir;
        QString path = dir.filePath("image.hex");
        if (kind == "folder" || kind == "device")
            path = kind == "folder" ? dir.path() : "/dev/zero";
        if (kind == "empty" || kind == "huge" || kind == "sound") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == "sound") f.write(kSound + "\r\n\n"); // extra line ends: not lines
            if (kind == "huge") QVERIFY(f.resize(kMaxHexFileBytes + 1)); // sparse
        }
        const HexFile f = lireFichierHex(path);
        QFETCH(QString, error);
        QVERIFY2(error.isEmpty() ? f.error.isEmpty() : f.error.contains(error),
                 qPrintable(f.error));
        QCOMPARE(f.lines.size(), error.isEmpty() ? 5 : 0);
        QVERIFY(f.problem.ok());
    }
};

QTEST_GUILESS_MAIN(TestDownloadCore)
#include "test_download_core.moc"
