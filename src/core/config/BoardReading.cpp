#include "core/config/BoardReading.h"

#include "core/AppState.h"
#include "core/config/ConfigRules.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"

namespace tav {

namespace {

// Scale of a value kept as the text of its answer (serial number and version, even when all
// digits: "00123" stays so).
constexpr int kText = 0;

// Reads the entry under `key` of a catalogue list; `scale` divides a numeric answer.
BoardValue readEntry(AppState& s, const QString& section, int key, int scale, bool ramp = false) {
    BoardValue v;
    v.entry = LireIni(s.generalIni(), section, QString::number(key));
    v.mnemonic = entryMnemonic(v.entry);
    if (v.mnemonic.isEmpty())
        return v;
    const QString answer = EnvoyerCommande(s, v.mnemonic + u'?');
    v.answered = !answer.isEmpty();
    v.text = answer;
    std::optional<double> n = scale == kText ? std::nullopt : numericAnswer(answer);
    if (n && ramp)
        n = rampDuration(*n);
    if (n) {
        v.number = *n / scale;
        v.text = plainNumber(*v.number);
    }
    return v;
}

} // namespace

bool BoardReading::complete() const {
    bool all = serial.answered && version.answered && mode.answered;
    for (const QList<BoardValue>* list : {&parameters, &readOnly})
        for (const BoardValue& v : *list)
            all = all && (v.answered || v.mnemonic.isEmpty());
    return all;
}

BoardReading lireCarte(AppState& s) {
    BoardReading r;
    r.serial = readEntry(s, kWriteSyn, kSerialWriteKey, kText);
    if (!r.serial.answered)
        return r;
    r.version = readEntry(s, kReadSyn, kReadOnlyKeys[0], kText);
    if (!r.version.answered)
        return r;
    for (int i = 0; i < kParamCount; ++i) {
        const int key = kParamWriteKeys[static_cast<std::size_t>(i)];
        const QString mne = entryMnemonic(LireIni(s.generalIni(), kWriteSyn, QString::number(key)));
        r.parameters.append(readEntry(s, kWriteSyn, key, readScale(mne), isRamp(mne)));
    }
    for (int i = 1; i < kReadOnlyCount; ++i)
        r.readOnly.append(
            readEntry(s, kReadSyn, kReadOnlyKeys[static_cast<std::size_t>(i)], readOnlyScale(i)));
    r.mode.entry = QStringLiteral("ASS");
    r.mode.mnemonic = QStringLiteral("ASS");
    r.mode.text = EnvoyerCommande(s, QStringLiteral("ASS?"));
    r.mode.answered = !r.mode.text.isEmpty();
    // 0 is "unknown" to the window, yet a number all the same.
    if (const std::optional<double> m = numericAnswer(r.mode.text)) {
        r.mode.number = *m;
        r.mode.text = plainNumber(*m);
    }
    return r;
}

} // namespace tav
