#pragma once

#include "core/link/SerialPort.h"

#include <QString>

namespace tav {

struct AppState;

// The command exchange with the board over the one serial port (AppState::PortOEM).
// None of these raises an error; a failed exchange is the empty text.

// Opens the port from the RS232 settings of General.ini (or the run's port and rate overrides
// of AppState); true when open afterwards.
// On failure shows the platform's error text (critical icon, serial-link caption as title).
bool OuvrirPort(AppState& s);
// What a quiet opening found: the port opened, its line settings are unusable, or the
// device refused (error holds the platform's text, possibly empty).
struct PortOpening {
    enum Result { Opened, BadSettings, Failed } result = Opened;
    QString port;         // PORT as stored, or the run's override
    QString settingsText; // "19200,N,8,1" as built from the stored settings
    QString error;
};
// Opens the port from the RS232 settings like OuvrirPort, without any message; the caller
// reports a failure.
PortOpening ouvrirPortSansMessage(AppState& s);
// The message for a failed opening: the port as stored (and its device), the platform's reason
// and what to check.
QString portFailureText(const PortOpening& o);
// Closes the port if open; false only if closing failed.
bool FermerPort(AppState& s);
// Sends one line (the caller adds the carriage return) with the configured pacing, owing no
// answer (the factory download's lines). attempt 0 is logged in the flow list.
void EcrireCommande(AppState& s, const QString& line, int attempt);
// The next answer line, whatever it answers, or the empty text on time-out; returns at once on a
// closed port. Lines are read by the rules of LineBook.
QString LireReponse(AppState& s);
// Sends command + CR, repeats up to NbRepetitions times, returns the value text
// (after "=" then "+", unless ReponseBrute); empty when nothing came. Before its first line goes
// out, the answers still owed that it could take for its own are awaited; only its own answer
// is taken (LineBook has the rules). Attempts stop early when the port is closed.
QString EnvoyerCommande(AppState& s, const QString& command);
// Waits for the answers still owed to this program's lines and discards them, so that a
// program that ends leaves none to the next user of the port.
void drainOwedAnswers(AppState& s);
// Empties the port's input and forgets what is owed, letting pending events run between reads.
void ViderReception(AppState& s);
// The whole time a command of `bytes` characters (CR included) may take over all its attempts.
qint64 attemptBudgetMs(const AppState& s, qsizetype bytes);
// Reads now how lines go out (by character or whole, the pauses) and keeps it for every later
// command of `s`, as the time-out and repeats are kept: for a monitor polling hundreds of lines
// a second, which reads its settings at start.
void holdLineSending(AppState& s);

// Caption of the serial-link window in the current language ("Serial Link" by default);
// the title of the port-opening error.
QString serialLinkCaption(const AppState& s);
// The pause around a command sent as a whole line: TempsPause2 (100 when 0 or absent), or
// TempsPause while a configuration file is sent.
int linePauseMs(const AppState& s);
// Half of a pause around a command, halves rounded to even (25 gives 12).
int halfPause(int pauseMs);

} // namespace tav
