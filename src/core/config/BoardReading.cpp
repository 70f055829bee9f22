#include "core/config/BoardReading.h"

#include "core/AppState.h"
#include "core/config/ConfigRules.h"
#include "core/control/PanelRules.h"
#include "core/link/Catalogue.h"
#include "core/link/Exchange.h"
#include "core/settings/Ini.h"

#include <algorithm>
#include <cmath>

namespace tav {

namespace {

// Sends "MNE?" for the entry; a value without a command stays NotRead.
BoardValue ask(const Exchanger& exchange, const QString& entry) {
    BoardValue v;
    v.entry = entry;
    v.mnemonic = entryMnemonic(entry);
    if (v.mnemonic.isEmpty()) return v;
    v.answer = exchange(v.mnemonic + u'?');
    v.status = v.answer.isEmpty() ? ReadStatus::Unanswered : ReadStatus::Text;
    return v;
}

// A numeric value in display units: the answer divided by the scale (RP2 as its duration).
BoardValue askNumber(const Exchanger& exchange, const QString& entry, int scale, bool ramp) {
    BoardValue v = ask(exchange, entry);
    if (v.status != ReadStatus::Text) return v;
    std::optional<double> n = numericAnswer(v.answer);
    if (n && ramp) n = rampDuration(*n);
    if (n) {
        v.status = ReadStatus::Number;
        v.number = *n / scale;
    } else {
        v.status = isNotAvailable(v.answer) ? ReadStatus::Unavailable : ReadStatus::NotNumber;
    }
    return v;
}

} // namespace

QString BoardValue::text() const {
    switch (status) {
    case ReadStatus::Number: return plainNumber(*number);
    case ReadStatus::Text: return answer;
    case ReadStatus::Unavailable: return QStringLiteral("XXX");
    default: return {};
    }
}

QList<const BoardValue*> BoardReading::values() const {
    QList<const BoardValue*> all{&serial, &version};
    for (const BoardValue& v : parameters)
        all << &v;
    for (const BoardValue& v : readOnly)
        all << &v;
    all << &mode;
    return all;
}

bool BoardReading::answered() const {
    return serial.status == ReadStatus::Text && firstVersion.status == ReadStatus::Text;
}

bool BoardReading::complete() const {
    if (!answered()) return false;
    for (const BoardValue* v : values())
        if (v->status != ReadStatus::Number && v->status != ReadStatus::Text &&
            (v->read() || !v->mnemonic.isEmpty()))
            return false;
    return true;
}

ReadingEntries catalogueEntries(const AppState& s) {
    auto entry = [&s](const QString& section, int key) {
        return LireIni(s.generalIni(), section, QString::number(key));
    };
    ReadingEntries e;
    e.serial = entry(kWriteSyn, kSerialWriteKey);
    for (std::size_t i = 0; i < e.parameters.size(); ++i)
        e.parameters[i] = entry(kWriteSyn, kParamWriteKeys[i]);
    for (std::size_t i = 0; i < e.readOnly.size(); ++i)
        e.readOnly[i] = entry(kReadSyn, kReadOnlyKeys[i]);
    return e;
}

std::optional<double> cappedOutputPower(double output, double nominal) {
    if (output > nominal) return std::floor(nominal);
    return std::nullopt;
}

BoardReading lireCarte(const Exchanger& exchange, const ReadingEntries& entries, bool all) {
    BoardReading r;
    r.serial = ask(exchange, entries.serial);
    if (r.serial.status != ReadStatus::Text) return r;
    r.firstVersion = ask(exchange, entries.readOnly[0]);
    if (r.firstVersion.status != ReadStatus::Text) return r;
    bool ok = true;
    for (std::size_t i = 0; i < r.parameters.size(); ++i) {
        const QString mne = entryMnemonic(entries.parameters[i]);
        BoardValue& v = r.parameters[i];
        v = askNumber(exchange, entries.parameters[i], readScale(mne), isRamp(mne));
        if (v.status == ReadStatus::Unanswered) {
            ok = false;
            if (!all) {
                // The entries after the stop keep their command, unread.
                for (std::size_t k = i + 1; k < r.parameters.size(); ++k) {
                    r.parameters[k].entry = entries.parameters[k];
                    r.parameters[k].mnemonic = entryMnemonic(entries.parameters[k]);
                }
                break;
            }
        }
    }
    // The output power never shows above the nominal power (as its slider holds it).
    const BoardValue& nominal = r.parameters[kBoxNominal];
    BoardValue& output = r.parameters[kBoxOutput];
    if (nominal.number && output.number)
        if (const auto capped = cappedOutputPower(
                *output.number, std::clamp(*nominal.number, kNominalMin, kNominalMax)))
            output.number = capped;

    r.version = ask(exchange, entries.readOnly[0]);
    for (std::size_t i = 0; i < r.readOnly.size(); ++i)
        r.readOnly[i] = askNumber(exchange, entries.readOnly[i + 1], readOnlyScale(int(i) + 1),
                                  false);

    r.mode = askNumber(exchange, QStringLiteral("ASS (mode)"), 1, false);
    if (r.mode.status == ReadStatus::Unanswered) ok = false;
    // A number that names none of the four modes is 0; no number shows as no answer.
    if (r.mode.status == ReadStatus::Number)
        r.mode.number = modeOfAnswer(r.mode.answer).value_or(0);
    r.ok = ok;
    return r;
}

BoardReading lireCarte(AppState& s, bool all) {
    return lireCarte([&s](const QString& c) { return EnvoyerCommande(s, c); },
                     catalogueEntries(s), all);
}

} // namespace tav
