#pragma once

#include <QString>

namespace tav {

// The administrator password, also the factory marker's clear text.
inline constexpr char16_t kAdminPassword[] = u"QUILTA";

// True for the internal (factory) installation: "fich.ini" of the program directory holds, in
// [PWD] CLIENT, the scrambled password. Read afresh at every call.
bool VarianteUsine(const QString& programDir);

// Writes the factory marker (entry into the internal variant).
bool EcrireMarqueurUsine(const QString& programDir);

} // namespace tav
