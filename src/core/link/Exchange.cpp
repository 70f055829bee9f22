#include "core/link/Exchange.h"

#include "core/AppState.h"

namespace tav {

bool OuvrirPort(AppState&) { return false; }
bool FermerPort(AppState&) { return true; }
void EcrireCommande(AppState&, const QString&, int) {}
QString LireReponse(AppState&) { return {}; }
QString EnvoyerCommande(AppState&, const QString&) { return {}; }
void ViderReception(AppState&) {}

} // namespace tav
