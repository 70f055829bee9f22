#include "core/settings/ExchangeSettings.h"

#include "core/AppState.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"

#include <algorithm>
#include <limits>

namespace tav {

namespace {

// A stored number in the range of its setting (an out-of-range text must not wrap round).
template <class T>
T storedNumber(const QString& text, T absent) {
    if (text.isEmpty())
        return absent;
    return T(std::clamp<qint64>(leadingInteger(text), std::numeric_limits<T>::min(),
                                std::numeric_limits<T>::max()));
}

} // namespace

void ChargerReglagesEchange(AppState& s) {
    const QString vs = QStringLiteral("ValueSupervision");
    const QString ini = s.langueIni();
    s.TempsTimeout = storedNumber<qint16>(LireIni(ini, vs, QStringLiteral("TxtTimeoutValue")), 200);
    s.TempsRafraichissement =
        storedNumber<qint32>(LireIni(ini, vs, QStringLiteral("TxtRefreshValue")), 50);
    s.NbRepetitions = storedNumber<qint16>(LireIni(ini, vs, QStringLiteral("TxtRepeatCycle")), 3);
}

} // namespace tav
