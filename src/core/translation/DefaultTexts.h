#pragma once

#include <QString>

namespace tav {

class IniBatch;

// Default contents of "langue.ini": the translation sections of every window and the
// operator settings of ValueSupervision. Each writer adds its rows to the batch in their
// fixed order, the French section first where a window has both. Section names are spelt
// as they have always been written (several differ in letter case from the names the
// loaders read; names match without regard to case).

void EcrireTextesFrmPrincipale(IniBatch& ini);          // FrmPrincipaleEn: menu entries
void EcrireTextesFrmMenuPilotage(IniBatch& ini);        // FrmMenuPilotageEn: control panel
void EcrireTextesFrmConfigManuelle(IniBatch& ini);      // frmConfigManuelleEn: manual configuration
void EcrireTextesFrmConfigRS232(IniBatch& ini);         // frmConfigRS232Fr, FrmConfigRS232en
void EcrireTextesFrmSupervision(IniBatch& ini);         // FrmSupervisionEn: supervision settings
void EcrireTextesFrmEtalonnagePIN(IniBatch& ini);       // FrmEtalonnagePinen
void EcrireTextesFrmEtalonnagePOUTPhs1(IniBatch& ini);  // FrmEtalonnagePoutPhs1en
void EcrireTextesFrmEtalonnagePOUTPhs2(IniBatch& ini);  // FrmEtalonnagePoutPhs2en
void EcrireTextesFrmControleManuel(IniBatch& ini);      // FrmControleManuelEn: manual control
void EcrireTextesFrmCommandesManuelles(IniBatch& ini);  // FrmCommandesManuellesFr, ...En
void EcrireTextesFrmVisualisationFlux(IniBatch& ini);   // FrmVisualisationFluxFr, ...En
void EcrireTextesFrmMotDePasse(IniBatch& ini);          // FrmMotDePasseFr, ...En
void EcrireTextesFrmAlarms(IniBatch& ini);              // FrmAlarmsFr, FrmAlarmsEn
void EcrireMessagesFrmConfigManuelle(IniBatch& ini);    // FrmConfigManuelleEn: msg_1_0, msg_1_1
void EcrireTextesFrmCmdRead(IniBatch& ini);             // FrmCmdReadFr, ...En: GET commands
void EcrireTextesFrmCmdWrite(IniBatch& ini);            // FrmCmdWriteFr, ...En: SET commands
void EcrireTextesFrmTestEEPROM(IniBatch& ini);          // FrmTestEEPROMFr, ...En
void EcrireTextesFrmSupervisionData(IniBatch& ini);     // FrmSupervisionDataEn
void EcrireTextesFrmView(IniBatch& ini);                // FrmViewEn: view options
void EcrireTextesFrmAlarmsThresholds(IniBatch& ini);    // FrmAlarmsThresholdsen

// ValueSupervision: CheckOptions "0", TxtTimeoutValue "250", TxtrefreshValue "250",
// TxtRepeatCycle "3". Langue is not written here: the main window writes the language in
// use after every start.
void EcrireValueSupervisionDefaut(IniBatch& ini);

// Creates the default "langue.ini" at the given path: every text writer above in start-up
// order, then the ValueSupervision defaults, in one file replacement. The result is the
// same as that of the equivalent EcrireIni calls one by one.
void EcrireTextesDefaut(const QString& langueIniPath);

} // namespace tav
