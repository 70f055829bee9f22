#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "support/Files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tav;

class TestTranslationDefaults : public QObject {
    Q_OBJECT

private slots:
    void sectionsInStartUpOrderAndEveryKeyHasAText() {
        QTemporaryDir dir;
        const QString langue = dir.filePath("langue.ini");
        EcrireTextesDefaut(langue);
        const auto got = test::iniSections(test::fileBytes(langue));
        QCOMPARE(got.size(), 28);
        QCOMPARE(got.first().first, QStringLiteral("FrmPrincipaleEn"));
        QCOMPARE(got[3].first, QStringLiteral("frmConfigRS232Fr")); // as the loaders spell it
        QCOMPARE(got.last().first, QStringLiteral("ValueSupervision"));
        QCOMPARE(got[0].second.size(), 24);
        QCOMPARE(got[2].second.size(), 42); // "FrmConfigManuelleEn" texts written later land here
        QCOMPARE(got[9].second.size(), 56);
        QCOMPARE(got.last().second, (QStringList{"CheckOptions", "TxtTimeoutValue", "TxtrefreshValue",
                                               "TxtRepeatCycle"}));
        for (const auto& [section, keys] : got)
            for (const QString& k : keys)
                QVERIFY2(!LireIni(langue, section, k).isEmpty(), qPrintable(section + "/" + k));
    }
};

QTEST_GUILESS_MAIN(TestTranslationDefaults)
#include "test_translation_defaults.moc"
