#include "core/AppState.h"
#include "core/link/SerialPort.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "core/translation/Texts.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"

#include "support/NullPort.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tav;

namespace {

struct Section {
    QString name; // as written in the file
    QStringList keys;
};

// Sections of a settings file in file order, names as they stand in the file.
QList<Section> parseSections(const QByteArray& data) {
    QList<Section> out;
    for (QByteArray line : data.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            out.append({QString::fromLatin1(line.mid(1, line.indexOf(']') - 1)), {}});
        } else if (line.contains('=')) {
            if (out.isEmpty())
                out.append({QString(), {}});
            out.last().keys << QString::fromLatin1(line.left(line.indexOf('=')));
        }
    }
    return out;
}

QStringList family(const QString& prefix, int first, int last) {
    QStringList keys;
    for (int i = first; i <= last; ++i)
        keys << prefix + QString::number(i);
    return keys;
}

QStringList keys(std::initializer_list<QStringList> parts) {
    QStringList all;
    for (const QStringList& p : parts)
        all += p;
    return all;
}

// The expected "langue.ini" after creation: every section in start-up order, with its keys in
// the order they are written.
QList<Section> expectedSections() {
    const QStringList rs232 = keys({{"titre"}, family("grplabel_5_", 0, 4),
                                    {"grplabel_5_10", "grplabel_5_12", "BoutonValider", "BoutonChange"}});
    auto calibration = [](const QString& high, const QString& low) {
        return keys({{"titre", "grpframe_0", "grpframe_1"}, family("grplabel_", 0, 4), {high, low}});
    };
    const QStringList manuelles = keys({{"titre"}, family("grplabel_", 0, 2)});
    const QStringList flux = {"titre", "grplabel_0", "grplabel_1"};
    const QStringList alarms = keys({{"titre"}, family("VaSpreadAlarmes_", 0, 15)});
    const QStringList cmdRead = {"titre", "header_1", "header_2", "header_3", "enregistrer",
                                 "selectionner"};
    const QStringList cmdWrite = {"titre", "header_1", "header_2", "enregistrer"};
    const QStringList eeprom = keys({{"titre", "grpframe_0", "grpframe_1"}, family("grplabel_", 0, 2),
                                     {"bouton_0", "bouton_1"}});
    return {
        {"FrmPrincipaleEn",
         {"fichier", "imprimer", "deconnecter", "quitter", "parametrage", "liaisonserie",
          "supervision", "Modeutilisateur", "View", "configuration", "etalonnage",
          "puissancedentree", "pilotage", "choixasservissement", "asservissementmanuel", "journaux",
          "journauxalarmes", "journauxmesures", "outils", "commandesget", "commandesset",
          "testeeprom", "superviserdata", "MenuLoadHexFile"}},
        {"FrmMenuPilotageEn",
         keys({{"titre", "checkenregistrement"}, family("ongletpilotage_", 0, 3),
               family("grpframe_", 0, 5), family("grplabel_", 0, 23),
               family("grplabelWarning_", 0, 6)})},
        // The msg_1_0 / msg_1_1 pair, written later as "FrmConfigManuelleEn", lands here.
        {"frmConfigManuelleEn",
         keys({{"titre"}, family("grplabel_", 0, 38), {"msg_1_0", "msg_1_1"}})},
        {"frmConfigRS232Fr", rs232},
        {"FrmConfigRS232en", rs232},
        {"FrmSupervisionEn",
         {"grpframe_0", "grpframe_1", "grplabel_0", "grplabel_1", "grplabel_2", "BoutonValider"}},
        {"FrmEtalonnagePinen", calibration("boutonCI2", "boutonCI1")},
        {"FrmEtalonnagePoutPhs1en", calibration("boutonCO2", "boutonCO1")},
        {"FrmEtalonnagePoutPhs2en", calibration("boutonCS2", "boutonCS1")},
        {"FrmControleManuelEn",
         keys({{"titre"}, family("grpframe_", 0, 5), family("grplabel_", 0, 39),
               family("checkbinarycommands_", 0, 7), {"checkvisudata"}})},
        {"FrmCommandesManuellesFr", manuelles},
        {"FrmCommandesManuellesEn", manuelles},
        {"FrmVisualisationFluxFr", flux},
        {"FrmVisualisationFluxEn", flux},
        {"FrmMotDePasseFr", {"titre"}},
        {"FrmMotDePasseEn", {"titre"}},
        {"FrmAlarmsFr", alarms},
        {"FrmAlarmsEn", alarms},
        {"FrmCmdReadFr", cmdRead},
        {"FrmCmdReadEn", cmdRead},
        {"FrmCmdWriteFr", cmdWrite},
        {"FrmCmdWriteEn", cmdWrite},
        {"FrmTestEEPROMFr", eeprom},
        {"FrmTestEEPROMEn", eeprom},
        {"FrmSupervisionDataEn",
         keys({{"titre"}, family("grplabel_", 0, 4), family("tab_", 0, 2),
               {"bouton", "col_2", "col_3", "grpframe_1", "boutongraphe", "axes_1", "msg_0",
                "msg_1"}})},
        {"FrmViewEn", {"checkoptions_0", "checkoptions_1", "BoutonValider"}},
        {"FrmAlarmsThresholdsen", family("grplabel_", 0, 9)},
        {"ValueSupervision", {"CheckOptions", "TxtTimeoutValue", "TxtrefreshValue", "TxtRepeatCycle"}},
    };
}

} // namespace

class TestTranslationDefaults : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString langue;

    QString read(const QString& section, const QString& key) { return LireIni(langue, section, key); }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        langue = dir.filePath("langue.ini");
        EcrireTextesDefaut(langue);
        QVERIFY(QFile::exists(langue));
    }

    void everySectionAndKeyInOrder() {
        QFile f(langue);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<Section> got = parseSections(f.readAll());
        const QList<Section> want = expectedSections();

        QStringList gotNames, wantNames;
        for (const Section& s : got)
            gotNames << s.name;
        for (const Section& s : want)
            wantNames << s.name;
        QCOMPARE(gotNames, wantNames);

        for (qsizetype i = 0; i < want.size(); ++i) {
            QVERIFY2(got[i].keys == want[i].keys,
                     qPrintable(want[i].name + ": " + got[i].keys.join(',')));
        }
        // The counts of the key table.
        QCOMPARE(got[0].keys.size(), 24);
        QCOMPARE(got[1].keys.size(), 6 + 37);
        QCOMPARE(got[2].keys.size(), 40 + 2);
        QCOMPARE(got[9].keys.size(), 56);
        QCOMPARE(got[16].keys.size(), 17);
        QCOMPARE(got[24].keys.size(), 17);
    }

    void tellingRows() {
        QCOMPARE(read("FrmMotDePasseFr", "titre"), QString("Entrez le mot de passe"));
        QCOMPARE(read("FrmMotDePasseEn", "titre"), QString("Enter the password"));
        QCOMPARE(read("FrmCommandesManuellesFr", "titre"), QString("Commandes manuelles"));
        QCOMPARE(read("FrmCommandesManuellesEn", "titre"), QString("Manuals commands"));
        QCOMPARE(read("FrmVisualisationFluxFr", "titre"), QString("Visualisation flux RS232"));
        QCOMPARE(read("FrmVisualisationFluxEn", "titre"), QString("Serial link flow"));
        QCOMPARE(read("FrmPrincipaleEn", "MenuLoadHexFile"), QString("In-Application Download"));
        QCOMPARE(read("FrmEtalonnagePinen", "titre"), QString::fromUtf8("Calibration Puissance d'entrée"));
        QCOMPARE(read("FrmAlarmsThresholdsen", "grplabel_0"),
                 QString::fromUtf8("Seuil de déclenchement de puissance d'entrée (dBm) Min"));
    }

    void textsOfTheWindows() {
        // A sample of each window's defaults, read under the names the loaders use.
        QCOMPARE(read("FrmPrincipaleEn", "choixasservissement"), QString("Control Panel"));
        QCOMPARE(read("FrmPrincipaleEn", "puissancedentree"), QString::fromUtf8("Puissance d'entrée"));
        QCOMPARE(read("FrmMenuPilotageEn", "grplabel_5"),
                 QString::fromUtf8("Automatic shutdown high temperature case(°C)"));
        QCOMPARE(read("FrmMenuPilotageEn", "grplabelWarning_2"), QString("low temperature reached"));
        // Trailing blanks are written but do not read back.
        QCOMPARE(read("FrmMenuPilotageEn", "grpframe_2"), QString("Measurements overview"));
        QCOMPARE(read("FrmConfigManuelleEn", "grplabel_1"), QString::fromUtf8("EDFA¨Power (dBm)"));
        QCOMPARE(read("FrmConfigManuelleEn", "grplabel_38"), QString("Courant diode 2 (mA)"));
        QCOMPARE(read("FrmConfigRS232Fr", "titre"), QString::fromUtf8("Paramétrage de la liaison Série"));
        QCOMPARE(read("FrmConfigRS232En", "grplabel_5_4"), QString("Number of stop bit"));
        QCOMPARE(read("FrmConfigRS232En", "BoutonValider"), QString("Validate"));
        QCOMPARE(read("FrmEtalonnagePOUTPhs1en", "grpframe_1"),
                 QString::fromUtf8("Etalonnage puissance à POUT Max (dBm)"));
        QCOMPARE(read("FrmEtalonnagePOUTPhs2En", "boutonCs1"), QString("&Valider"));
        QCOMPARE(read("FrmEtalonnagePinEn", "grplabel_3"),
                 QString::fromUtf8("Veuillez saisir la valeur haute PIN (dBm)"));
        QCOMPARE(read("FrmCmdReadFr", "selectionner"), QString::fromUtf8("&Sélectionner tout"));
        QCOMPARE(read("FrmCmdReadEn", "header_3"), QString("Monitoring"));
        QCOMPARE(read("FrmSupervisionDataEn", "bouton"), QString("&Start"));
        QCOMPARE(read("FrmSupervisionDataEn", "axes_1"), QString("Duration (Hours)"));
        QCOMPARE(read("FrmViewEn", "checkoptions_1"), QString("Manual command window active"));
        QCOMPARE(read("FrmSupervisionEn", "grplabel_1"), QString("Value of refresh screen time (ms)"));
        QCOMPARE(read("FrmAlarmsEn", "VaSpreadAlarmes_15"),
                 QString("Temperature control of the 1st stage is out of range"));
        // Every written key has a text.
        QFile f(langue);
        QVERIFY(f.open(QIODevice::ReadOnly));
        for (const Section& s : parseSections(f.readAll()))
            for (const QString& k : s.keys)
                QVERIFY2(!read(s.name, k).isEmpty(), qPrintable(s.name + "/" + k));
    }

    void accentsAreWindows1252() {
        QFile f(langue);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        QVERIFY(data.contains("titre=Calibration Puissance d'entr\xe9" "e"));
        QVERIFY(data.contains("(\xb0" "C)"));
        QVERIFY(!data.contains("\xc3\xa9")); // no UTF-8
    }

    void sectionSpeltInOtherCaseIsFound() {
        // Written as "FrmAlarmsfr", read as "FrmAlarmsFr".
        QCOMPARE(read("FrmAlarmsFr", "VaSpreadAlarmes_0"), QString::fromUtf8("Arrêt de l'émission laser"));
        QCOMPARE(read("FrmAlarmsFr", "titre"), QString::fromUtf8("Représentation des alarmes"));
        QCOMPARE(read("FrmMenuPilotageEn", "grpframe_0"), QString("Parameters setting"));
        QCOMPARE(read("FrmConfigManuelleEn", "msg_1_1").isEmpty(), false);
    }

    void valueSupervisionDefaults() {
        QCOMPARE(read("ValueSupervision", "CheckOptions"), QString("0"));
        QCOMPARE(read("ValueSupervision", "TxtTimeoutValue"), QString("250"));
        QCOMPARE(read("ValueSupervision", "TxtRefreshValue"), QString("250"));
        QCOMPARE(read("ValueSupervision", "TxtRepeatCycle"), QString("3"));
        QCOMPARE(read("ValueSupervision", "Langue"), QString());
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
        QCOMPARE(state.LangueCourante, QString("Fr"));
        QCOMPARE(texte(state, "FrmMotDePasse", "titre"), QString("Entrez le mot de passe"));
        // Windows with an English section only show nothing in French.
        QCOMPARE(texte(state, "FrmPrincipale", "fichier"), QString());

        state.LangueCourante = "EN";
        QCOMPARE(texte(state, "FrmConfigManuelle", "titre"), QString("Manual configuration"));
        QCOMPARE(texte(state, "FrmEtalonnagePOUTPhs1", "titre"),
                 QString::fromUtf8("Calibration Puissance de sortie Phs1"));
    }
};

QTEST_GUILESS_MAIN(TestTranslationDefaults)
#include "test_translation_defaults.moc"
