#include "core/text/Scramble.h"

#include "core/text/Cp1252.h"

namespace tav {

namespace {
constexpr unsigned char kKey = 229;
}

QByteArray BrouillerTexte(const QByteArray& text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(text[n - 1 - i]) ^ kKey);
    return out;
}

QString BrouillerTexte(const QString& text) {
    return fromCp1252(BrouillerTexte(toCp1252(text)));
}

} // namespace tav
