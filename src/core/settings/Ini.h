#pragma once

#include "core/text/Numbers.h"

#include <QString>

namespace tav {

// Private-profile settings files (Windows-1252 text):
// section and key names match without regard to case; a new key is appended to its section,
// a new section to the end of the file, a missing file is created. Every write replaces the
// file atomically (temporary file + rename).

// Value of the key, or the empty text when the file, section or key is missing.
// Trailing blanks are removed, leading blanks kept; at most 1022 characters come back.
QString LireIni(const QString& file, const QString& section, const QString& key);

// Creates or replaces the value. True when the file was written.
bool EcrireIni(const QString& file, const QString& section, const QString& key,
               const QString& value);

// Several writes applied in order with one file replacement, for the default writers.
// The result is the same as that of the same EcrireIni calls one by one.
class IniBatch {
public:
    explicit IniBatch(QString file);
    ~IniBatch(); // commits if not committed
    IniBatch(const IniBatch&) = delete;
    IniBatch& operator=(const IniBatch&) = delete;

    void write(const QString& section, const QString& key, const QString& value);
    bool commit();

private:
    struct Impl;
    Impl* d;
};

} // namespace tav
