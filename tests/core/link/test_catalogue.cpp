#include "core/link/Catalogue.h"
#include "core/settings/Ini.h"
#include "support/Columns.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tav;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void splitAndJoin_data() {
        test::columns<QString, QString, QString>({"entry", "mnemonic", "description"});
        QTest::newRow("plain") << "RP2 ((20 * RP2)/4095)" << "RP2" << "((20 * RP2)/4095)";
        QTest::newRow("no space: no command") << "SNU" << "" << "SNU";
        QTest::newRow("first space only") << "A  B" << "A" << " B";
        QTest::newRow("trailing space") << "ALA " << "ALA" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void splitAndJoin() {
        QFETCH(QString, entry);
        QFETCH(QString, mnemonic);
        QFETCH(QString, description);
        QCOMPARE(entryMnemonic(entry), mnemonic);
        const EntryParts p = splitEntry(entry);
        QCOMPARE(p.mnemonic, mnemonic);
        QCOMPARE(p.description, description);
        QCOMPARE(joinEntry(p.mnemonic, p.description), entry);
    }

    void listEndsAtEmptyTextAndSkipsNotUsed() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("General.ini");
        EcrireIni(ini, kCmdReadSyn, "1", "IPW (Read Input Power)");
        EcrireIni(ini, kCmdReadSyn, "2", "not used");
        EcrireIni(ini, kCmdReadSyn, "3", "ALA (Read the alarms)");
        EcrireIni(ini, kCmdReadSyn, "5", "CAT (after the gap)");
        const auto used = readCatalogue(ini, "cmd read syn");
        QCOMPARE(used.size(), 2);
        QCOMPARE(used[1].key, 3);
        QCOMPARE(readCatalogue(ini, kCmdReadSyn, false).size(), 3);
        QVERIFY(readCatalogue(dir.filePath("missing.ini"), kWriteSyn).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
