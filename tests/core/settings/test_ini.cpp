#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// Keys of a file in order, as "section/key".
QStringList keysInOrder(const QByteArray& data) {
    QStringList out;
    QString section;
    for (QByteArray line : data.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('['))
            section = QString::fromLatin1(line.mid(1, line.indexOf(']') - 1));
        else if (line.contains('='))
            out << section + u'/' + QString::fromLatin1(line.left(line.indexOf('=')));
    }
    return out;
}

} // namespace

class TestIni : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString& name) { return dir.filePath(name); }

private slots:
    void missingFileSectionOrKeyReadEmpty() {
        QCOMPARE(LireIni(path("none.ini"), "A", "b"), QString());
        writeFile(path("a.ini"), "[S]\r\nk=v\r\n");
        QCOMPARE(LireIni(path("a.ini"), "T", "k"), QString());
        QCOMPARE(LireIni(path("a.ini"), "S", "x"), QString());
        QCOMPARE(LireIni(path("a.ini"), "S", "k"), QString("v"));
    }

    void namesIgnoreCaseAndWritesAppend() {
        const QString f = path("case.ini");
        QVERIFY(EcrireIni(f, "ValueSupervision", "TxtrefreshValue", "250"));
        QCOMPARE(LireIni(f, "VALUESUPERVISION", "TxtRefreshValue"), QString("250"));
        QVERIFY(EcrireIni(f, "valuesupervision", "TXTREFRESHVALUE", "300"));
        QVERIFY(EcrireIni(f, "ValueSupervision", "Langue", "En"));
        QVERIFY(EcrireIni(f, "Other", "x", "1"));
        QVERIFY(EcrireIni(f, "ValueSupervision", "CheckOptions", "0"));
        // Updated in place, new key appended to its section, new section at the end.
        QCOMPARE(readFile(f), QByteArray("[ValueSupervision]\r\nTxtrefreshValue=300\r\nLangue=En\r\n"
                                         "CheckOptions=0\r\n[Other]\r\nx=1\r\n"));
    }

    void blanksAndLongValues() {
        const QString f = path("blanks.ini");
        EcrireIni(f, "S", "trail", "abc   ");
        EcrireIni(f, "S", "lead", "   abc");
        QCOMPARE(LireIni(f, "S", "trail"), QString("abc"));
        QCOMPARE(LireIni(f, "S", "lead"), QString("   abc"));
        QString longValue;
        for (int i = 0; i < 1100; ++i)
            longValue += QChar('a' + i % 26);
        EcrireIni(f, "S", "long", longValue);
        QCOMPARE(LireIni(f, "S", "long"), longValue.left(1022));
        // The whole value is kept in the file.
        QVERIFY(readFile(f).contains(longValue.toLatin1()));
    }

    void allByteCodesRoundTrip() {
        const QString f = path("bytes.ini");
        QByteArray all;
        for (int c = 1; c < 256; ++c)
            if (c != '\r' && c != '\n')
                all.append(char(c));
        all.append('x'); // no trailing blank
        // Write the bytes by hand, read them through the store, write them back unchanged.
        writeFile(f, "[S]\r\nv=" + all + "\r\n");
        const QString read = LireIni(f, "S", "v");
        QCOMPARE(read.size(), all.size());
        QVERIFY(EcrireIni(f, "S", "w", read));
        const QByteArray data = readFile(f);
        QCOMPARE(data, "[S]\r\nv=" + all + "\r\nw=" + all + "\r\n");
        QCOMPARE(LireIni(f, "S", "v").at(all.indexOf('\x80')), QChar(0x20AC)); // euro sign
    }

    void badInputNeverBreaks() {
        const QString f = path("bad.ini");
        const QByteArray data = QByteArray("garbage without equals\norphan=outside any section\n[S]\r\nno equals here\n") +
               QByteArray("nul=ab\0cd\r\n", 11) +
               "dup=first\ndup=second\r\n=novalue\n[S]\nlater=hidden\n[T]\nlast=end";
        writeFile(f, data);
        QCOMPARE(LireIni(f, "", "orphan"), QString());
        QCOMPARE(LireIni(f, "S", "nul"), QString("ab"));
        QCOMPARE(LireIni(f, "S", "dup"), QString("first"));
        QCOMPARE(LireIni(f, "S", "later"), QString()); // only the first section counts
        QCOMPARE(LireIni(f, "T", "last"), QString("end"));
        // A write keeps every other byte and ends the unterminated last line first.
        QVERIFY(EcrireIni(f, "T", "new", "1"));
        QCOMPARE(readFile(f), data + "\r\nnew=1\r\n");
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

    void largeFile() {
        const QString f = path("large.ini");
        QByteArray data;
        for (int s = 0; s < 4000; ++s) {
            data += "[Section" + QByteArray::number(s) + "]\r\n";
            for (int k = 0; k < 50; ++k)
                data += "key" + QByteArray::number(k) + "=value " + QByteArray::number(s * k) + "\r\n";
        }
        writeFile(f, data); // several megabytes
        QVERIFY(data.size() > 2'000'000);
        QCOMPARE(LireIni(f, "section3999", "KEY49"), "value " + QString::number(3999 * 49));
        QVERIFY(EcrireIni(f, "Section0", "key0", "x"));
        QCOMPARE(LireIni(f, "Section3999", "key49"), "value " + QString::number(3999 * 49));
        QCOMPARE(readFile(f).size(), data.size() - 7 + 1);
    }

    void failedWriteKeepsOldFile() {
        const QString sub = path("ro");
        QDir().mkpath(sub);
        const QString f = sub + "/General.ini";
        QVERIFY(EcrireIni(f, "S", "k", "old"));
        // A vanished directory: the write fails, nothing is created.
        QVERIFY(!EcrireIni(path("gone/dir/x.ini"), "S", "k", "v"));
        QVERIFY(!QFile::exists(path("gone")));
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(sub).isWritable()) // running as root: permissions do not hold
            QSKIP("directory permissions not enforced for this user");
        QVERIFY(!EcrireIni(f, "S", "k", "new"));
        QCOMPARE(LireIni(f, "S", "k"), QString("old"));
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void defaultGeneralIni() {
        QTemporaryDir d;
        EcrireParametresDefaut(d.path());
        const QString f = d.filePath("General.ini");
        const QStringList keys = keysInOrder(readFile(f));
        QCOMPARE(keys.size(), 80);
        QCOMPARE(keys.mid(0, 7), QStringList({"RS232/PORT", "RS232/BAUD", "RS232/PARITE", "RS232/DATA",
                                              "RS232/STOP", "RS232/TxtSleepTwoChars",
                                              "RS232/TempsPause"}));
        QCOMPARE(keys[7], QString("WRITE SYN/1"));
        QCOMPARE(keys[31], QString("WRITE SYN/25"));
        QCOMPARE(keys[32], QString("READ SYN/1"));
        QCOMPARE(keys[64], QString("CMD READ SYN/1"));
        QCOMPARE(keys[71], QString("FrmAlarmsThresholds/TxtIPT_0"));
        QCOMPARE(keys[79], QString("FrmAlarmsThresholds/TxtTCH_1"));
        QVERIFY(!keys.contains("FrmAlarmsThresholds/TxtLCM_1"));
        QCOMPARE(LireIni(f, "RS232", "TempsPause2"), QString());
        QCOMPARE(LireIni(f, "WRITE SYN", "16"),
                 QString("RP2 ((20 * RP2)/4095) Ecrit la vitesse de rampe de courant de diode 2)"));
        QCOMPARE(LireIni(f, "READ SYN", "15"),
                 QString::fromUtf8("ADI (Lit la valeur A/D de la photodiode d'entrée)"));
        // Stored as Windows-1252, one byte for "é".
        QVERIFY(readFile(f).contains("d'entr\xe9" "e)"));
        QCOMPARE(LireIni(f, "CMD READ SYN", "7"), QString("ALA (Read the alarms)"));
    }

    void factoryMarker() {
        QTemporaryDir d;
        QVERIFY(!VarianteUsine(d.path()));
        QVERIFY(EcrireMarqueurUsine(d.path()));
        QVERIFY(VarianteUsine(d.path()));
        // A marker scrambled from the password in other letter case also counts.
        EcrireIni(d.filePath("fich.ini"), "PWD", "CLIENT", QString::fromLatin1("\x84\x89\x8c\x90\x94\x8c"));
        EcrireIni(d.filePath("fich.ini"), "PWD", "CLIENT", QString());
        QVERIFY(!VarianteUsine(d.path()));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
