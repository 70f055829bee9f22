#include "core/translation/DefaultTexts.h"

#include "core/settings/Ini.h"

#include <initializer_list>

namespace tav {

namespace {

struct Row {
    const char* key;
    const char* text; // UTF-8
};

void put(IniBatch& ini, const char* section, std::initializer_list<Row> rows) {
    const QString s = QString::fromLatin1(section);
    for (const Row& r : rows)
        ini.write(s, QString::fromLatin1(r.key), QString::fromUtf8(r.text));
}

// Keys prefix + 0, prefix + 1, ... in order.
void putFamily(IniBatch& ini, const char* section, const char* prefix,
               std::initializer_list<const char*> texts) {
    const QString s = QString::fromLatin1(section);
    const QString p = QString::fromLatin1(prefix);
    int i = 0;
    for (const char* t : texts)
        ini.write(s, p + QString::number(i++), QString::fromUtf8(t));
}

} // namespace

void EcrireTextesFrmPrincipale(IniBatch& ini) {
    put(ini, "FrmPrincipaleEn",
        {{"fichier", "File"},
         {"imprimer", "Print"},
         {"deconnecter", "Disconnect"},
         {"quitter", "Exit"},
         {"parametrage", "Parameters"},
         {"liaisonserie", "Serial Link"},
         {"supervision", "Supervision"},
         {"Modeutilisateur", "User Mode"},
         {"View", "View"},
         {"configuration", "Configuration"},
         {"etalonnage", "Calibration"},
         {"puissancedentree", "Puissance d'entrée"},
         {"pilotage", "Control"},
         {"choixasservissement", "Control Panel"},
         {"asservissementmanuel", "Manual Control"},
         {"journaux", "Logs"},
         {"journauxalarmes", "Alarm Logs"},
         {"journauxmesures", "Measurement Logs"},
         {"outils", "Tools"},
         {"commandesget", "Commands GET"},
         {"commandesset", "Commands SET"},
         {"testeeprom", "EEPROM Test"},
         {"superviserdata", "Supervision Data"},
         {"MenuLoadHexFile", "In-Application Download"}});
}

void EcrireTextesFrmMenuPilotage(IniBatch& ini) {
    put(ini, "FrmMenuPilotageEn",
        {{"titre", "Control Panel"},
         {"checkenregistrement", "Measurement Log file"},
         {"ongletpilotage_0", "APC"},
         {"ongletpilotage_1", "ACC"},
         {"ongletpilotage_2", "AAPC"},
         {"ongletpilotage_3", "AACC"}});
    putFamily(ini, "FrmMenuPilotageen", "grpframe_",
              {"Parameters setting", "Parameters setting", "Measurements overview      ",
               "Alarms", "Date", "Time"});
    putFamily(ini, "FrmMenuPilotageen", "grplabel_",
              {"Output Power (dBm)",                            // 0
               "Laser Diode Current (A)",                       // 1
               "Automatic shutdown loss of input power (dBm)",  // 2
               "Set power limit (dBm)",                         // 3
               "Automatic shutdown low temperature case (°C)",  // 4
               "Automatic shutdown high temperature case(°C)",  // 5
               "Output Power (dBm)",                            // 6
               "Laser Diode Current (A)",                       // 7
               "Laser Diode Temperature (°C)",                  // 8
               "Input Power (dBm)",                             // 9
               "Case Temperature (°C)",                         // 10
               "Loss of Output Power",                          // 11
               "Loss of Input Power",                           // 12
               "LD Current Bias",                               // 13
               "Case Temperature out of Range",                 // 14
               "Laser Diode Temperature out of Range",          // 15
               "Disabled EDFA",                                 // 16
               "Out of Range Power supply",                     // 17
               "White => No Alarm",                             // 18
               "Red => Alarm detected",                         // 19
               "Laser",                                         // 20
               "Serial Link",                                   // 21
               "Serial number",                                 // 22
               "Eye safety output power limit(dBm)"});          // 23
    putFamily(ini, "FrmMenuPilotageen", "grplabelWarning_",
              {"Output Power too low in APC mode", "Output Power too low in ACC mode",
               "low temperature reached", "High temperature reached", "Not used", "Not used",
               "Not used"});
}

void EcrireTextesFrmConfigManuelle(IniBatch& ini) {
    put(ini, "frmConfigManuelleEn", {{"titre", "Manual configuration"}});
    putFamily(ini, "frmConfigManuelleEn", "grplabel_",
              {"Numéro de série",                                          // 0
               "EDFA¨Power (dBm)",                                         // 1
               "Version soft embarqué",                                    // 2
               "T°consigne de la diode 1 (°C)",                            // 3
               "Consigne de courant diode 1 (mA)",                         // 4
               "Courant limite de la diode 1 (mA)",                        // 5
               "Consigne courant diode 2 (mA)",                            // 6
               "Courant limite de la diode 2 (mA)",                        // 7
               "Valeur I2T (mA)",                                          // 8
               "Valeur ASO (dBm)",                                         // 9
               "Durée rampe courant diode 2 (s)",                          // 10
               "Puissance de sortie (dBm)",                                // 11
               "Valeur de la mesure basse de puissance d'entrée (dBm)",    // 12
               "Valeur A/D de la Phe à Pin MIN en calibration",            // 13
               "Valeur de la mesure haute de puissance d'entrée (dBm)",    // 14
               "Valeur A/D de la Phe Pin MAX en calibration",              // 15
               "Valeur A/D photodiode d'entrée",                           // 16
               "Valeur de la mesure basse sur Phs1 (dBm)",                 // 17
               "Valeur A/D de Phs1 à Pout MIN en calibration",             // 18
               "Valeur de la mesure haute sur Phs1 (dBm)",                 // 19
               "Valeur A/D de Phs1 à Pout MAX en calibration",             // 20
               "Valeur A/D photodiode de sortie Phs1",                     // 21
               "Valeur de la mesure basse sur Phs2 (dBm)",                 // 22
               "Valeur A/D de Phs2 à Pout MIN en calibration",             // 23
               "Valeur de la mesure haute sur Phs2 (dBm)",                 // 24
               "Valeur A/D de Phs2 à Pout MAX en calibration",             // 25
               "Valeur A/D photodiode de sortie Phs2",                     // 26
               "Seuil de déclenchement de puissance d'entrée (dBm)",       // 27
               "Seuil de déclenchement de puissance de sortie (dBm)",      // 28
               "Seuil de déclenchement de courant booster (mA))",          // 29
               "Seuil de déclenchement de la température basse (°C)",      // 30
               "Seuil de déclenchement de la température haute (°C)",      // 31
               "Puissance d'entrée (dBm)",                                 // 32
               "Puissance de sortie Phs2 (dBm)",                           // 33
               "Puissance de sortie (dBm)",                                // 34
               "Température case (°C)",                                    // 35
               "Température diode laser (°C)",                             // 36
               "Courant diode 1 (mA)",                                     // 37
               "Courant diode 2 (mA)"});                                   // 38
}

void EcrireTextesFrmConfigRS232(IniBatch& ini) {
    // grplabel_5_10 captions the pause box of character-by-character sending,
    // grplabel_5_12 the frame of the line settings.
    put(ini, "frmConfigRS232Fr",
        {{"titre", "Paramétrage de la liaison Série"},
         {"grplabel_5_0", "Numéro du port"},
         {"grplabel_5_1", "Vitesse"},
         {"grplabel_5_2", "Type de parité"},
         {"grplabel_5_3", "Nombre de bits"},
         {"grplabel_5_4", "Bits de stop"},
         {"grplabel_5_10", "Pause entre deux caractères (ms)"},
         {"grplabel_5_12", "Paramètres de la liaison"},
         {"BoutonValider", "Valider"},
         {"BoutonChange", "Changer"}});
    put(ini, "FrmConfigRS232en",
        {{"titre", "Serial Link"},
         {"grplabel_5_0", "Serial Port Number"},
         {"grplabel_5_1", "Baud Rate"},
         {"grplabel_5_2", "Parity Mode"},
         {"grplabel_5_3", "Number of data bit"},
         {"grplabel_5_4", "Number of stop bit"},
         {"grplabel_5_10", "Sleep between two characters (ms)"}});
    put(ini, "frmConfigRS232En",
        {{"grplabel_5_12", "Line settings"},
         {"BoutonValider", "Validate"},
         {"BoutonChange", "Change"}});
}

void EcrireTextesFrmSupervision(IniBatch& ini) {
    put(ini, "FrmSupervisionEn",
        {{"grpframe_0", "Refresh Screen Timing"},
         {"grpframe_1", "Options"},
         {"grplabel_0", "Timeout value (ms)"},
         {"grplabel_1", "Value of refresh screen time (ms)"},
         {"grplabel_2", "Max number of repeat cycle"},
         {"BoutonValider", "Validate"}});
}

namespace {

// The three calibration windows share their layout; the texts are French in the "en" sections.
void putCalibration(IniBatch& ini, const char* section, const char* titre, const char* point,
                    const char* adLabel, const char* highButton, const char* lowButton) {
    const QString p = QString::fromLatin1(point);
    const QString s = QString::fromLatin1(section);
    auto w = [&](const char* key, const QString& text) {
        ini.write(s, QString::fromLatin1(key), text);
    };
    w("titre", QString::fromUtf8(titre));
    w("grpframe_0", QString::fromUtf8("Etalonnage puissance à %1 Min (dBm)").arg(p));
    w("grpframe_1", QString::fromUtf8("Etalonnage puissance à %1 Max (dBm)").arg(p));
    w("grplabel_0", QString::fromUtf8("Régler puissance de référence à"));
    w("grplabel_1", QString::fromUtf8("Veuillez saisir la valeur basse %1 (dBm)").arg(p));
    w("grplabel_2", QString::fromUtf8("Régler puissance de référence à"));
    w("grplabel_3", QString::fromUtf8("Veuillez saisir la valeur haute %1 (dBm)").arg(p));
    w("grplabel_4", QString::fromUtf8(adLabel));
    w(highButton, QStringLiteral("&Valider"));
    w(lowButton, QStringLiteral("&Valider"));
}

} // namespace

void EcrireTextesFrmEtalonnagePIN(IniBatch& ini) {
    putCalibration(ini, "FrmEtalonnagePinen", "Calibration Puissance d'entrée", "PIN",
                   "Valeur A/D photodiode d'entrée", "boutonCI2", "boutonCI1");
}

void EcrireTextesFrmEtalonnagePOUTPhs1(IniBatch& ini) {
    putCalibration(ini, "FrmEtalonnagePoutPhs1en", "Calibration Puissance de sortie Phs1", "POUT",
                   "Valeur A/D photodiode de sortie", "boutonCO2", "boutonCO1");
}

void EcrireTextesFrmEtalonnagePOUTPhs2(IniBatch& ini) {
    putCalibration(ini, "FrmEtalonnagePoutPhs2en", "Calibration Puissance de sortie Phs2", "POUT",
                   "Valeur A/D photodiode de sortie", "boutonCS2", "boutonCS1");
}

void EcrireTextesFrmControleManuel(IniBatch& ini) {
    const char* s = "FrmControleManuelEn";
    put(ini, s, {{"titre", "Manual Control"}});
    putFamily(ini, s, "grpframe_",
              {"Diode 1", "Diode 2", "Powers", "Temperatures and thresholds", "Binary commands",
               "Data display"});
    putFamily(ini, s, "grplabel_",
              {"Diode 1 temperature set point (°C)",     // 0
               "Diode 1 current set point (mA)",         // 1
               "Diode 1 current limit (mA)",             // 2
               "Diode 1 current (mA)",                   // 3
               "Diode 1 temperature (°C)",               // 4
               "Diode 1 TEC current (mA)",               // 5
               "Diode 2 current set point (mA)",         // 6
               "Diode 2 current limit (mA)",             // 7
               "Diode 2 current (mA)",                   // 8
               "Diode 2 temperature (°C)",               // 9
               "Diode 2 TEC current (mA)",               // 10
               "I2T value (mA)",                         // 11
               "Diode 2 current ramp (s)",               // 12
               "Input power (dBm)",                      // 13
               "Output power (dBm)",                     // 14
               "Output power Phs2 (dBm)",                // 15
               "Output power set point (dBm)",           // 16
               "Nominal output power (dBm)",             // 17
               "Output power limit (dBm)",               // 18
               "ASO value (dBm)",                        // 19
               "Input power threshold (dBm)",            // 20
               "Output power threshold (dBm)",           // 21
               "Input photodiode A/D value",             // 22
               "Output photodiode Phs1 A/D value",       // 23
               "Output photodiode Phs2 A/D value",       // 24
               "Case temperature (°C)",                  // 25
               "Low case temperature threshold (°C)",    // 26
               "High case temperature threshold (°C)",   // 27
               "Laser current threshold (mA)",           // 28
               "Control mode",                           // 29
               "Laser status",                           // 30
               "Alarms",                                 // 31
               "Warnings",                               // 32
               "Serial number",                          // 33
               "Software version",                       // 34
               "Command",                                // 35
               "Answer",                                 // 36
               "Value to send",                          // 37
               "Value read",                             // 38
               "Last update"});                          // 39
    putFamily(ini, s, "checkbinarycommands_",
              {"Laser emission ON", "APC mode (ACC when unchecked)", "External set point",
               "Eye safety active", "Shutdown on loss of input power",
               "Case temperature regulation", "Key switch ignored", "Reset warnings"});
    put(ini, s, {{"checkvisudata", "Display the data"}});
}

void EcrireTextesFrmCommandesManuelles(IniBatch& ini) {
    put(ini, "FrmCommandesManuellesFr",
        {{"titre", "Commandes manuelles"},
         {"grplabel_0", "Commande"},
         {"grplabel_1", "Liste envoi"},
         {"grplabel_2", "Liste réponse"}});
    put(ini, "FrmCommandesManuellesEn",
        {{"titre", "Manuals commands"},
         {"grplabel_0", "Command"},
         {"grplabel_1", "Send list"},
         {"grplabel_2", "Answer list"}});
}

void EcrireTextesFrmVisualisationFlux(IniBatch& ini) {
    put(ini, "FrmVisualisationFluxFr",
        {{"titre", "Visualisation flux RS232"},
         {"grplabel_0", "Commandes envoyées"},
         {"grplabel_1", "Réponses lues"}});
    put(ini, "FrmVisualisationFluxEn",
        {{"titre", "Serial link flow"}, {"grplabel_0", "Sending list"}, {"grplabel_1", "Answer list"}});
}

void EcrireTextesFrmMotDePasse(IniBatch& ini) {
    put(ini, "FrmMotDePasseFr", {{"titre", "Entrez le mot de passe"}});
    put(ini, "FrmMotDePasseEn", {{"titre", "Enter the password"}});
}

void EcrireTextesFrmAlarms(IniBatch& ini) {
    put(ini, "FrmAlarmsFr", {{"titre", "Représentation des alarmes"}});
    putFamily(ini, "FrmAlarmsfr", "VaSpreadAlarmes_",
              {"Arrêt de l'émission laser",
               "Puissance de sortie trop faible",
               "Puissance d'entrée trop faible",
               "Température carte trop élevée",
               "Pb sur température booster",
               "Anomalie sur peltier booster",
               "Pb sur température préampli",
               "Anomalie sur peltier préampli",
               "Courant booster anormal",
               "Alarme ext1 / courant nul",
               "Courant préampli anormal",
               "Alarme ext2 / Arrêt regul température",
               "Clé OFF",
               "Reset / Info soft",
               "Pb asservissement température booster",
               "Pb asservissement température préampli"});
    put(ini, "FrmAlarmsEn", {{"titre", "Alarms representation"}});
    putFamily(ini, "FrmAlarmsEn", "VaSpreadAlarmes_",
              {"Laser OFF",
               "Loss of output power",
               "Loss of input power",
               "Temperature of the board is above set value",
               "Alarm on temperature of the 2nd stage diode",
               "TEC1 current abnormal",
               "Alarm on temperature of the 1st stage diode",
               "TEC2 current abnormal",
               "Alarm on 2nd stage current",
               "External alarm 1",
               "Alarm on 1st stage current",
               "External alarm 2",
               "Key OFF",
               "Reset / soft info",
               "Temperature control of the 2nd stage is out of range",
               "Temperature control of the 1st stage is out of range"});
}

void EcrireMessagesFrmConfigManuelle(IniBatch& ini) {
    put(ini, "FrmConfigManuelleEn",
        {{"msg_1_0", "Serial link failed (check port number, cable,...)."},
         {"msg_1_1", "Reading of the board parameters failed."}});
}

void EcrireTextesFrmCmdRead(IniBatch& ini) {
    put(ini, "FrmCmdReadFr",
        {{"titre", "Commandes GET"},
         {"header_1", "Commande"},
         {"header_2", "Syntaxe"},
         {"header_3", "Supervision"},
         {"enregistrer", "Enregistrer"},
         {"selectionner", "&Sélectionner tout"}});
    put(ini, "FrmCmdReadEn",
        {{"titre", "Commands GET"},
         {"header_1", "Command"},
         {"header_2", "Syntax"},
         {"header_3", "Monitoring"},
         {"enregistrer", "Save"},
         {"selectionner", "&Select all"}});
}

void EcrireTextesFrmCmdWrite(IniBatch& ini) {
    put(ini, "FrmCmdWriteFr",
        {{"titre", "Commandes SET"},
         {"header_1", "Commande"},
         {"header_2", "Syntaxe"},
         {"enregistrer", "Enregistrer"}});
    put(ini, "FrmCmdWriteEn",
        {{"titre", "Commands SET"},
         {"header_1", "Command"},
         {"header_2", "Syntax"},
         {"enregistrer", "Save"}});
}

void EcrireTextesFrmTestEEPROM(IniBatch& ini) {
    put(ini, "FrmTestEEPROMFr",
        {{"titre", "Test de l'EEPROM"},
         {"grpframe_0", "Ecriture"},
         {"grpframe_1", "Lecture"},
         {"grplabel_0", "Adresse"},
         {"grplabel_1", "Valeur écrite"},
         {"grplabel_2", "Valeur lue"},
         {"bouton_0", "Ecrire"},
         {"bouton_1", "Lire"}});
    put(ini, "FrmTestEEPROMEn",
        {{"titre", "EEPROM Test"},
         {"grpframe_0", "Write"},
         {"grpframe_1", "Read"},
         {"grplabel_0", "Address"},
         {"grplabel_1", "Written value"},
         {"grplabel_2", "Read value"},
         {"bouton_0", "Write"},
         {"bouton_1", "Read"}});
}

void EcrireTextesFrmSupervisionData(IniBatch& ini) {
    put(ini, "FrmSupervisionDataEn",
        {{"titre", "OEM Data Supervision"},
         {"grplabel_0", "Serial Number"},
         {"grplabel_1", "A row of measurement every second"},
         {"grplabel_2", "A file record every row"},
         {"grplabel_3", "File extension"},
         {"grplabel_4", "Records are written in the Supervision folder"},
         {"tab_0", "Configuration"},
         {"tab_1", "Sheet"},
         {"tab_2", "Graph"},
         {"bouton", "&Start"},
         {"col_2", "Time"},
         {"col_3", "Duration"},
         {"grpframe_1", "Graph"},
         {"boutongraphe", "&Select all"},
         {"axes_1", "Duration (Hours)"},
         {"msg_0", "Immediate measure"},
         {"msg_1", "Next measure in "}});
}

void EcrireTextesFrmView(IniBatch& ini) {
    put(ini, "FrmViewEn",
        {{"checkoptions_0", "RS232 flow window active"},
         {"checkoptions_1", "Manual command window active"},
         {"BoutonValider", "Validate"}});
}

void EcrireTextesFrmAlarmsThresholds(IniBatch& ini) {
    putFamily(ini, "FrmAlarmsThresholdsen", "grplabel_",
              {"Seuil de déclenchement de puissance d'entrée (dBm) Min",
               "Seuil de déclenchement de puissance d'entrée (dBm) Max",
               "Seuil de déclenchement de puissance de sortie (dBm)Min",
               "Seuil de déclenchement de puissance de sortie (dBm) Max",
               "Seuil de déclenchement de courant booster (mA) Min",
               "Seuil de déclenchement de courant booster (mA) Max",
               "Seuil de déclenchement de la température basse (°C) Min",
               "Seuil de déclenchement de la température basse (°C) Max",
               "Seuil de déclenchement de la température haute (°C) Min",
               "Seuil de déclenchement de la température haute (°C) Max"});
}

void EcrireValueSupervisionDefaut(IniBatch& ini) {
    put(ini, "ValueSupervision",
        {{"CheckOptions", "0"},
         {"TxtTimeoutValue", "250"},
         {"TxtrefreshValue", "250"},
         {"TxtRepeatCycle", "3"}});
}

void EcrireTextesDefaut(const QString& langueIniPath) {
    IniBatch ini(langueIniPath);
    EcrireTextesFrmPrincipale(ini);
    EcrireTextesFrmMenuPilotage(ini);
    EcrireTextesFrmConfigManuelle(ini);
    EcrireTextesFrmConfigRS232(ini);
    EcrireTextesFrmSupervision(ini);
    EcrireTextesFrmEtalonnagePIN(ini);
    EcrireTextesFrmEtalonnagePOUTPhs1(ini);
    EcrireTextesFrmEtalonnagePOUTPhs2(ini);
    EcrireTextesFrmControleManuel(ini);
    EcrireTextesFrmCommandesManuelles(ini);
    EcrireTextesFrmVisualisationFlux(ini);
    EcrireTextesFrmMotDePasse(ini);
    EcrireTextesFrmAlarms(ini);
    EcrireMessagesFrmConfigManuelle(ini);
    EcrireTextesFrmCmdRead(ini);
    EcrireTextesFrmCmdWrite(ini);
    EcrireTextesFrmTestEEPROM(ini);
    EcrireTextesFrmSupervisionData(ini);
    EcrireTextesFrmView(ini);
    EcrireTextesFrmAlarmsThresholds(ini);
    EcrireValueSupervisionDefaut(ini);
    ini.commit();
}

} // namespace tav
