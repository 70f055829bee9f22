#include "core/link/BaudRate.h"

#include "core/AppState.h"
#include "core/link/Exchange.h"
#include "core/link/SerialPort.h"
#include "core/settings/Ini.h"

namespace tav {

namespace {

const QString kRs232 = QStringLiteral("RS232");

QString lire(const AppState& s, const char* key) {
    return LireIni(s.generalIni(), kRs232, QString::fromLatin1(key));
}

// Opens the port quietly (the caller reports a failure once). On failure *error names the
// port and gives the reason.
PortOpening::Result ouvrirEnSilence(AppState& s, QString* error) {
    const PortOpening o = ouvrirPortSansMessage(s);
    if (o.result == PortOpening::Opened)
        return o.result;
    *error = portFailureText(o);
    return o.result;
}

// One trial at the stored settings: open, empty the input, "SNU?", close. The answer is empty
// when the port could not be opened.
PortOpening::Result essayer(AppState& s, QString* reponse, QString* error) {
    reponse->clear();
    FermerPort(s);
    const PortOpening::Result o = ouvrirEnSilence(s, error);
    if (o != PortOpening::Opened)
        return o;
    ViderReception(s);
    // Judged on the raw line: a board at another rate answers noise, which is no answer.
    const bool raw = s.ReponseBrute;
    const AppState::Unprintable unprintable = s.unprintableAnswers;
    s.ReponseBrute = true;
    s.unprintableAnswers = AppState::Unprintable::Keep;
    const QString brute = EnvoyerCommande(s, QStringLiteral("SNU?"));
    s.ReponseBrute = raw;
    s.unprintableAnswers = unprintable;
    if (isBoardAnswer(brute))
        *reponse = brute;
    FermerPort(s);
    return o;
}

} // namespace

bool isBoardAnswer(const QString& raw) {
    if (raw.isEmpty())
        return false;
    for (const QChar c : raw) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return raw.contains(u'=') || raw.contains(u'!') || raw.contains(u'#') || raw.contains(u'/');
}

QString libelleBalayage(int rate) {
    return QStringLiteral("Scan for ") + QString::number(rate) + QStringLiteral(" vtl");
}

QString DetecterVitesse(AppState& s, const std::function<void(const QString&)>& progress,
                        QString* portError, const std::function<bool()>& cancelled,
                        const std::function<void(int rate)>& applyRate, QString* storeError) {
    // A device that cannot be opened ends the detection: no rate will open it either.
    // Invalid line settings only make that trial silent, since the scan rewrites the rate.
    QString error;
    QString reponse;
    const auto echec = [&] {
        if (portError)
            *portError = error;
        return QString();
    };
    if (portError)
        portError->clear();
    if (storeError)
        storeError->clear();

    if (essayer(s, &reponse, &error) == PortOpening::Failed)
        return echec();
    if (!reponse.isEmpty())
        return s.baudOverride > 0 ? QString::number(s.baudOverride) : lire(s, "BAUD");

    for (const int rate : kVitessesBalayees) {
        if (progress)
            progress(libelleBalayage(rate));
        if (s.processEvents)
            s.processEvents();
        if (cancelled && cancelled())
            return QString();
        if (applyRate) {
            applyRate(rate);
        } else {
            IniBatch store(s.generalIni());
            store.setQuiet(true);
            store.write(kRs232, QStringLiteral("BAUD"), QString::number(rate));
            if (!store.commit()) {
                if (storeError)
                    *storeError = store.error();
                return QString();
            }
        }
        if (essayer(s, &reponse, &error) == PortOpening::Failed)
            return echec();
        if (!reponse.isEmpty())
            return QString::number(rate);
    }
    return echec();
}

} // namespace tav
