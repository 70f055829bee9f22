#pragma once

#include <QByteArray>
#include <QString>

namespace tav {

// Windows-1252 text with a byte-exact round trip of all 256 codes: the five codes the code page
// leaves undefined map to the C1 controls of the same value.
QString fromCp1252(const QByteArray& bytes);
QString fromCp1252(const char* data, qsizetype size);
// Characters outside the code page become '?'.
QByteArray toCp1252(const QString& text);

} // namespace tav
