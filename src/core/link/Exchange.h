#pragma once

#include <QString>

namespace tav {

struct AppState;

// The command exchange with the board over the one serial port (AppState::PortOEM).
// None of these raises an error; a failed exchange is the empty text.

// Opens the port from the RS232 settings of General.ini; true when open afterwards.
// On failure shows the platform's error text (critical icon, serial-link caption as title).
bool OuvrirPort(AppState& s);
// Closes the port if open; false only if closing failed.
bool FermerPort(AppState& s);
// Sends one line (the caller adds the carriage return) with the configured pacing.
// attempt 0 is logged in the flow list.
void EcrireCommande(AppState& s, const QString& line, int attempt);
// One answer line, or the empty text on time-out.
QString LireReponse(AppState& s);
// Sends command + CR, repeats up to NbRepetitions times, returns the value text
// (after "=" then "+", unless ReponseBrute); empty when nothing came.
QString EnvoyerCommande(AppState& s, const QString& command);
// Empties the port's input.
void ViderReception(AppState& s);

} // namespace tav
