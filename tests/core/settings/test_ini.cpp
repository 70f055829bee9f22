#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/text/Scramble.h"
#include "support/Child.h"
#include "support/Columns.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;
using namespace tav::test;

namespace {

QByteArray readFile(const QString& path) { return fileBytes(path); }
void writeFile(const QString& path, const QByteArray& data) { QVERIFY(writeBytes(path, data)); }

// Failed writes heard by the program while `body` runs.
QList<IniFailure> failuresDuring(const std::function<void()>& body) {
    QList<IniFailure> heard;
    setIniFailureHandler([&](const IniFailure& f) { heard << f; });
    body();
    setIniFailureHandler({});
    return heard;
}

} // namespace

class TestIni : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString& name) { return dir.filePath(name); }

private slots:
    // Values read as the platform's profile functions read them, from hand-edited files too.
    void reading_data() {
        test::columns<QByteArray, QString, QString>({"file", "key", "expected"});
        const QByteArray s = "[S]\r\n";
        QTest::newRow("missing section") << QByteArray("[T]\r\nk=v\r\n") << "k" << "";
        QTest::newRow("missing key") << s + "x=v\r\n" << "k" << "";
        QTest::newRow("key in other case") << s + "TxtrefreshValue=250\r\n" << "TXTREFRESHVALUE" << "250";
        QTest::newRow("blanks around") << s + "k = value  \r\n" << "k" << "value";
        QTest::newRow("tab after =") << s + "k=\tvalue\r\n" << "k" << "value";
        QTest::newRow("double quotes") << s + "k=\"value\"\r\n" << "k" << "value";
        QTest::newRow("quoted blanks kept") << s + "k= ' a b ' \r\n" << "k" << " a b ";
        QTest::newRow("one pair only") << s + "k=\"\"v\"\"\r\n" << "k" << "\"v\"";
        QTest::newRow("unmatched quote") << s + "k=\"value'\r\n" << "k" << "\"value'";
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + s + "k=v\r\n" << "k" << "v";
        QTest::newRow("CR line ends") << QByteArray("[T]\rx=1\r[S]\rk=v\rz=2\r") << "k" << "v";
        QTest::newRow("cut at NUL") << s + QByteArray("k=ab\0cd\r\n", 9) << "k" << "ab";
        QTest::newRow("first of two") << s + "k=first\nk=second\r\n" << "k" << "first";
        QTest::newRow("first section only") << QByteArray("[S]\r\n[T]\r\n[S]\r\nk=hidden\r\n") << "k" << "";
        QTest::newRow("outside a section") << QByteArray("k=v\r\n[S]\r\n") << "k" << "";
        QTest::newRow("comment") << s + ";k=v\r\n" << "k" << "";
    }
    void reading() {
        QFETCH(QString, key);
        writeFile(path("read.ini"), test::fetch<QByteArray>("file"));
        QTEST(LireIni(path("read.ini"), "s", key), "expected");
        QCOMPARE(LireIni(path("none.ini"), "S", key), QString());
    }

    // A hand-edited file gets its key where it belongs, not a second section; new lines end CR LF.
    void handEditedFilesTakeWrites_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[RS232]\r\nPORT=COM1\r\n");
        QTest::newRow("CR line ends") << QByteArray("[RS232]\rPORT=COM1\r");
        QTest::newRow("no last line end") << QByteArray("[RS232]\nPORT=COM1");
    }
    void handEditedFilesTakeWrites() {
        QFETCH(QByteArray, file);
        const QString f = path("edited.ini");
        writeFile(f, file);
        QVERIFY(EcrireIni(f, "rs232", "PORT", "COM3"));
        QVERIFY(EcrireIni(f, "RS232", "BAUD", "9600"));
        QByteArray expected = file;
        expected.replace("COM1", "COM3");
        if (!expected.endsWith('\r') && !expected.endsWith('\n'))
            expected += "\r\n";
        QCOMPARE(readFile(f), expected + "BAUD=9600\r\n");
    }

    void namesIgnoreCaseAndWritesAppend() {
        const QString f = path("case.ini");
        QVERIFY(EcrireIni(f, "ValueSupervision", "TxtrefreshValue", "250"));
        QVERIFY(EcrireIni(f, "valuesupervision", "TXTREFRESHVALUE", "300"));
        QVERIFY(EcrireIni(f, "ValueSupervision", "Langue", "En"));
        QVERIFY(EcrireIni(f, "Other", "x", "1"));
        QVERIFY(EcrireIni(f, "ValueSupervision", "CheckOptions", "0"));
        // Updated in place, new key appended to its section, new section at the end.
        QCOMPARE(readFile(f), QByteArray("[ValueSupervision]\r\nTxtrefreshValue=300\r\nLangue=En\r\n"
                                         "CheckOptions=0\r\n[Other]\r\nx=1\r\n"));
        // Values are written as given.
        QVERIFY(EcrireIni(f, "Other", "x", " \"q\" "));
        QVERIFY(readFile(f).endsWith("x= \"q\" \r\n"));
    }

    void longValuesAndAllByteCodes() {
        const QString f = path("bytes.ini");
        QString longValue;
        for (int i = 0; i < 1100; ++i)
            longValue += QChar('a' + i % 26);
        EcrireIni(f, "S", "long", longValue);
        QCOMPARE(LireIni(f, "S", "long"), longValue.left(1022));
        QVERIFY(readFile(f).contains(longValue.toLatin1())); // the whole value is kept in the file
        QByteArray all;
        for (int c = 1; c < 256; ++c)
            if (c != '\r' && c != '\n')
                all.append(char(c));
        all = "x" + all + "x"; // no blank or quote at either end
        // Bytes written by hand, read through the store and written back unchanged.
        writeFile(f, "[S]\r\nv=" + all + "\r\n");
        const QString read = LireIni(f, "S", "v");
        QCOMPARE(read.size(), all.size());
        QVERIFY(EcrireIni(f, "S", "w", read));
        QCOMPARE(readFile(f), "[S]\r\nv=" + all + "\r\nw=" + all + "\r\n");
    }

    void writesKeepEveryOtherByte() {
        const QString f = path("bad.ini");
        const QByteArray data = QByteArray("garbage\norphan=x\n[S]\r\nno equals\n") +
                                QByteArray("nul=ab\0cd\r\n", 11) + "dup=first\ndup=second\r\n[T]\nlast=end";
        writeFile(f, data);
        QVERIFY(EcrireIni(f, "T", "new", "1"));
        QVERIFY(EcrireIni(f, "S", "dup", "changed"));
        QByteArray expected = data + "\r\nnew=1\r\n";
        expected.replace("dup=first\n", "dup=changed\n");
        QCOMPARE(readFile(f), expected);
    }

    void valuesAndNamesCannotForgeKeys() {
        const QString f = path("inject.ini");
        QVERIFY(EcrireIni(f, "S", "k", "a\r\n[X]\r\nevil=1"));
        QCOMPARE(LireIni(f, "X", "evil"), QString());
        QCOMPARE(LireIni(f, "S", "k"), QString("a  [X]  evil=1"));
        QVERIFY(!EcrireIni(f, "S]\r\n[Y", "k", "v"));
        QVERIFY(!EcrireIni(f, "S", "a=b", "v"));
        QVERIFY(!EcrireIni(f, "S", "", "v"));
    }

    void externalEditsAreSeen() {
        const QString f = path("edit.ini");
        writeFile(f, "[S]\nk=1\n");
        QCOMPARE(LireIni(f, "S", "k"), QString("1"));
        writeFile(f, "[S]\nk=2\n"); // same size, same moment
        QCOMPARE(LireIni(f, "S", "k"), QString("2"));
        QFile::remove(f);
        QCOMPARE(LireIni(f, "S", "k"), QString());
    }

    // Real failures, binding root too: a file-size limit (full disk) in a child process, a folder
    // that is a file (the defaults of a first start on a full disk: test_frm_principale). The old bytes stay (a hard link proves the old file was not rewritten), no
    // temporary file is left, and the program hears of each failure.
    void failedWriteKeepsOldFile_data() {
        QTest::addColumn<int>("fault");
        QTest::newRow("full disk, one key") << 0;
        QTest::newRow("folder is a file") << 2;
    }
    void failedWriteKeepsOldFile() {
        QFETCH(int, fault);
        QTemporaryDir d;
        const QString f = d.filePath("General.ini");
        const QByteArray old = "[RS232]\r\nPORT=COM1\r\n";
        writeFile(f, old);
        QCOMPARE(::link(qPrintable(f), qPrintable(d.filePath("link"))), 0); // a hard link
        const QStringList before = QDir(d.path()).entryList(QDir::Files | QDir::Hidden);
        const auto write = [&] {
            EcrireIni(fault == 2 ? d.filePath("link/x.ini") : f, "RS232", "PORT", QString(200, u'x'));
        };
        const int heard = fault == 2 ? int(failuresDuring(write).size())
                                     : inChild([] { limitFileSize(100); }, [&] {
                                           const QList<IniFailure> h = failuresDuring(write);
                                           return h.size() == 1 && h[0].reason == "File too large";
                                       });
        QCOMPARE(heard, 1);
        QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), before);
        QVERIFY(readFile(f) == old && readFile(d.filePath("link")) == old);
        QCOMPARE(LireIni(f, "RS232", "PORT"), QString("COM1"));
    }

    // A folder that takes no new file (read-only) but holds writable files: the file is rewritten
    // in place, and a failure there puts the old bytes back. The child runs as an ordinary user.
    void readOnlyFolderRewritesInPlace() {
        QTemporaryDir d;
        const QString f = d.filePath("General.ini");
        const QByteArray written = "[RS232]\r\nPORT=COM3\r\nBAUD=9600\r\n";
        writeFile(f, "[RS232]\r\nPORT=COM1\r\nBAUD=19200\r\n");
        using P = QFileDevice;
        QFile::setPermissions(f, P::ReadOwner | P::WriteOwner | P::ReadOther | P::WriteOther);
        QFile::setPermissions(d.path(), P::ReadOwner | P::ExeOwner | P::ReadOther | P::ExeOther);
        QCOMPARE(inChild(withoutPrivileges, [&] {
                     return EcrireIni(f, "RS232", "PORT", "COM3") && EcrireIni(f, "RS232", "BAUD", "9600");
                 }),
                 1);
        QCOMPARE(readFile(f), written);
        QCOMPARE(inChild([] { withoutPrivileges(); limitFileSize(40); },
                         [&] { return EcrireIni(f, "RS232", "PORT", QString(20, u'x')); }),
                 0);
        QCOMPARE(readFile(f), written);
        QCOMPARE(QDir(d.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"General.ini"});
        QFile::setPermissions(d.path(), P::ReadOwner | P::WriteOwner | P::ExeOwner);
    }

    void defaultGeneralIni() {
        QTemporaryDir d;
        EcrireParametresDefaut(d.path());
        const QString f = d.filePath("General.ini");
        const auto sections = iniSections(readFile(f));
        QStringList layout;
        for (const auto& [section, keys] : sections)
            layout << section + u':' + QString::number(keys.size());
        QCOMPARE(layout, (QStringList{"RS232:7", "WRITE SYN:25", "READ SYN:32", "CMD READ SYN:7",
                                      "FrmAlarmsThresholds:9"}));
        const QStringList thresholds = sections.last().second;
        QVERIFY(thresholds.first() == "TxtIPT_0" && thresholds.last() == "TxtTCH_1");
        QVERIFY(!thresholds.contains("TxtLCM_1"));
        QCOMPARE(LireIni(f, "RS232", "TempsPause2"), QString());
        QCOMPARE(LireIni(f, "READ SYN", "15"),
                 QString::fromUtf8("ADI (Lit la valeur A/D de la photodiode d'entrée)"));
        // Stored as Windows-1252, one byte for "é".
        QVERIFY(readFile(f).contains("d'entr\xe9" "e)"));
    }

    void factoryMarker() {
        QTemporaryDir d;
        QVERIFY(!VarianteUsine(d.path()));
        QVERIFY(EcrireMarqueurUsine(d.path()));
        QVERIFY(VarianteUsine(d.path()));
        // A marker scrambled from the password in other letter case also counts.
        EcrireIni(d.filePath("fich.ini"), "PWD", "CLIENT", BrouillerTexte(QString("qUILTa")));
        QVERIFY(VarianteUsine(d.path()));
        EcrireIni(d.filePath("fich.ini"), "PWD", "CLIENT", QString());
        QVERIFY(!VarianteUsine(d.path()));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
