#include "core/link/Catalogue.h"
#include "core/settings/Ini.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tav;

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void mnemonicAndSplit();
    void joinIsTheInverseOfSplit();
    void listEndsAtEmptyTextAndSkipsNotUsed();
};

void TestCatalogue::mnemonicAndSplit() {
    const QString rp2 =
        QStringLiteral("RP2 ((20 * RP2)/4095) Ecrit la vitesse de rampe de courant de diode 2)");
    QCOMPARE(entryMnemonic(rp2), QStringLiteral("RP2"));
    QCOMPARE(splitEntry(rp2).mnemonic, QStringLiteral("RP2"));
    QCOMPARE(splitEntry(rp2).description,
             QStringLiteral("((20 * RP2)/4095) Ecrit la vitesse de rampe de courant de diode 2)"));

    // No space: no command, and the whole text is the description.
    QCOMPARE(entryMnemonic(QStringLiteral("SNU")), QString());
    QCOMPARE(splitEntry(QStringLiteral("SNU")).mnemonic, QString());
    QCOMPARE(splitEntry(QStringLiteral("SNU")).description, QStringLiteral("SNU"));
    QCOMPARE(entryMnemonic(QString()), QString());

    // Only the first space separates; the description keeps the others.
    QCOMPARE(splitEntry(QStringLiteral("A  B")).description, QStringLiteral(" B"));
}

void TestCatalogue::joinIsTheInverseOfSplit() {
    const QStringList entries{QStringLiteral("IPW (Read Input Power)"), QStringLiteral("NOSPACE"),
                              QStringLiteral("ALA "), QStringLiteral("X  two")};
    for (const QString& e : entries) {
        const EntryParts p = splitEntry(e);
        QCOMPARE(joinEntry(p.mnemonic, p.description), e);
    }
    QCOMPARE(joinEntry(QString(), QString()), QString());
}

void TestCatalogue::listEndsAtEmptyTextAndSkipsNotUsed() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("General.ini"));
    EcrireIni(ini, kCmdReadSyn, QStringLiteral("1"), QStringLiteral("IPW (Read Input Power)"));
    EcrireIni(ini, kCmdReadSyn, QStringLiteral("2"), QStringLiteral("not used"));
    EcrireIni(ini, kCmdReadSyn, QStringLiteral("3"), QStringLiteral("ALA (Read the alarms)"));
    EcrireIni(ini, kCmdReadSyn, QStringLiteral("5"), QStringLiteral("CAT (after the gap)"));

    const auto used = readCatalogue(ini, QStringLiteral("cmd read syn"));
    QCOMPARE(used.size(), 2);
    QCOMPARE(used[0].key, 1);
    QCOMPARE(used[1].key, 3);
    QCOMPARE(entryMnemonic(used[1].text), QStringLiteral("ALA"));

    const auto all = readCatalogue(ini, kCmdReadSyn, false);
    QCOMPARE(all.size(), 3);
    QVERIFY(isNotUsed(all[1].text));

    QVERIFY(readCatalogue(ini, kReadSyn).isEmpty());
    QVERIFY(readCatalogue(dir.filePath(QStringLiteral("missing.ini")), kWriteSyn).isEmpty());
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
