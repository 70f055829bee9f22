#pragma once

#include <QByteArray>
#include <QString>

namespace tav {

// Reversible scrambling of 8-bit text: characters in reverse order, each code XOR 229.
// Applying it twice gives the original text back.
QByteArray BrouillerTexte(const QByteArray& text);
// The same on text, through its Windows-1252 codes.
QString BrouillerTexte(const QString& text);

} // namespace tav
