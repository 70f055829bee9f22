#include "core/translation/Texts.h"

#include "core/AppState.h"
#include "core/settings/Ini.h"

namespace tav {

QString texte(const AppState& state, const QString& window, const QString& key) {
    return LireIni(state.langueIni(), window + state.LangueCourante, key);
}

void ChargerLangueCourante(AppState& state) {
    state.LangueCourante =
        LireIni(state.langueIni(), QStringLiteral("ValueSupervision"), QStringLiteral("Langue"));
}

} // namespace tav
