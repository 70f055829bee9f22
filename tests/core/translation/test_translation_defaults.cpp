#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "core/translation/Texts.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/NullPort.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tav;

class TestTranslationDefaults : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString langue;
    QByteArray data;

    QString read(const QString& section, const QString& key) { return LireIni(langue, section, key); }

private slots:
    void initTestCase() {
        langue = dir.filePath("langue.ini");
        EcrireTextesDefaut(langue);
        data = test::fileBytes(langue);
    }

    void sectionsInStartUpOrderAndEveryKeyHasAText() {
        const auto got = test::iniSections(data);
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
                QVERIFY2(!read(section, k).isEmpty(), qPrintable(section + "/" + k));
    }

    void textsAndEncoding() {
        QCOMPARE(read("FrmMotDePasseFr", "titre"), QString("Entrez le mot de passe"));
        // Trailing blanks are written but do not read back; sections are found in any case.
        QCOMPARE(read("FrmMenuPilotageEn", "grpframe_2"), QString("Measurements overview"));
        QCOMPARE(read("FrmAlarmsFr", "VaSpreadAlarmes_0"),
                 QString::fromUtf8("Arrêt de l'émission laser"));
        QVERIFY(!data.contains("\xc3\xa9")); // no UTF-8
    }

    void lookupFollowsTheCurrentLanguage() {
        test::NullPort port;
        test::ManualClock clock;
        test::ScriptedPrompts prompts;
        QTemporaryDir program;
        AppState state(program.path(), port, clock, prompts);
        EcrireTextesDefaut(state.langueIni());

        ChargerLangueCourante(state);
        QCOMPARE(state.LangueCourante, QString()); // no fallback at window load
        QCOMPARE(texte(state, "FrmMotDePasse", "titre"), QString());
        EcrireIni(state.langueIni(), "ValueSupervision", "Langue", "Fr");
        ChargerLangueCourante(state);
        QCOMPARE(texte(state, "FrmMotDePasse", "titre"), QString("Entrez le mot de passe"));
        // Windows with an English section only show nothing in French.
        QCOMPARE(texte(state, "FrmPrincipale", "fichier"), QString());
        state.LangueCourante = "EN";
        QCOMPARE(texte(state, "FrmConfigManuelle", "titre"), QString("Manual configuration"));
    }
};

QTEST_GUILESS_MAIN(TestTranslationDefaults)
#include "test_translation_defaults.moc"
