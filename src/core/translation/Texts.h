#pragma once

#include <QString>

namespace tav {

struct AppState;

// Text of a window in the current language: key of section window + LangueCourante of
// "langue.ini"; the empty text when the file, section or key is missing.
QString texte(const AppState& state, const QString& window, const QString& key);

// What each window does before loading its texts: LangueCourante = Langue of
// ValueSupervision, as read (an empty value stays empty).
void ChargerLangueCourante(AppState& state);

} // namespace tav
