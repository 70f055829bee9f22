#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "core/translation/Texts.h"
#include "support/ManualClock.h"
#include "support/NullPort.h"
#include "support/ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;

namespace {

struct Section {
    QString name; // as written in the file
    QStringList keys;
};

// Sections of a settings file in file order.
QList<Section> parseSections(const QByteArray& data) {
    QList<Section> out;
    for (QByteArray line : data.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('['))
            out.append({QString::fromLatin1(line.mid(1, line.indexOf(']') - 1)), {}});
        else if (line.contains('=') && !out.isEmpty())
            out.last().keys << QString::fromLatin1(line.left(line.indexOf('=')));
    }
    return out;
}

} // namespace

class TestTranslationDefaults : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString langue;
    QByteArray data;

    QString read(const QString& section, const QString& key) {
        return LireIni(langue, section, key);
    }

private slots:
    void initTestCase() {
        langue = dir.filePath("langue.ini");
        EcrireTextesDefaut(langue);
        QFile f(langue);
        QVERIFY(f.open(QIODevice::ReadOnly));
        data = f.readAll();
    }

    void sectionsInStartUpOrderAndEveryKeyHasAText() {
        const QList<Section> got = parseSections(data);
        QCOMPARE(got.size(), 28);
        QCOMPARE(got.first().name, QStringLiteral("FrmPrincipaleEn"));
        QCOMPARE(got[3].name,
                 QStringLiteral("frmConfigRS232Fr")); // names as the loaders spell them
        QCOMPARE(got.last().name, QStringLiteral("ValueSupervision"));
        QCOMPARE(got[0].keys.size(), 24);
        QCOMPARE(got[2].keys.size(), 42); // "FrmConfigManuelleEn" texts written later land here
        QCOMPARE(got[9].keys.size(), 56);
        QCOMPARE(got.last().keys, (QStringList{"CheckOptions", "TxtTimeoutValue", "TxtrefreshValue",
                                               "TxtRepeatCycle"}));
        for (const Section& s : got)
            for (const QString& k : s.keys)
                QVERIFY2(!read(s.name, k).isEmpty(), qPrintable(s.name + "/" + k));
    }

    void textsAndEncoding() {
        QCOMPARE(read("FrmMotDePasseFr", "titre"), QString("Entrez le mot de passe"));
        // Trailing blanks are written but do not read back; sections are found in any case.
        QCOMPARE(read("FrmMenuPilotageEn", "grpframe_2"), QString("Measurements overview"));
        QCOMPARE(read("FrmAlarmsFr", "VaSpreadAlarmes_0"),
                 QString::fromUtf8("Arrêt de l'émission laser"));
        QVERIFY(data.contains("titre=Calibration Puissance d'entr\xe9"
                              "e"));
        QVERIFY(data.contains("(\xb0"
                              "C)"));
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
