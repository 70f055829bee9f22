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
// Sends one line (the caller adds the carriage return) with the configured pacing.
// attempt 0 is logged in the flow list. Nothing waiting in the input is touched.
void EcrireCommande(AppState& s, const QString& line, int attempt);
// One answer line, or the empty text on time-out. An answer ends at its carriage return (what
// follows stays for the next exchange), or after kSilenceMs of silence when none has come; one
// still arriving TempsTimeout after its first character is no answer. Line feeds that come
// first end an earlier line and are dropped unlogged; a carriage return that comes first is an
// empty line (no answer).
// Returns at once on a closed port.
QString LireReponse(AppState& s);
// Sends command + CR, repeats up to NbRepetitions times, returns the value text
// (after "=" then "+", unless ReponseBrute); empty when nothing came.
// Before the first attempt's line goes out, whatever waits in the input (the tail of a late
// answer) is discarded and logged as "DISCARDED " + text (line ends that come first are dropped
// unlogged), so that it is never taken for this
// command's answer; an answer to another command (isOtherCommandsAnswer) is discarded the same
// way and the wait goes on within the time-out.
// Attempts stop early when the port is closed (it cannot be opened, or its device went away).
QString EnvoyerCommande(AppState& s, const QString& command);
// Waits for the answers still owed to this program's earlier lines (those that came too late)
// and discards them, so that a program that ends leaves none to the next user of the port.
void drainOwedAnswers(AppState& s);
// Empties the port's input, letting pending events run between reads.
void ViderReception(AppState& s);

// True when an answer line begins with the three-character mnemonic of another command than
// `command` followed by "=", "!" or "#" ("CAT=+31" while "OPW?" waits). Answers of other shapes
// ("!", "ERR/UNKNOWN", a hex acknowledgement) and commands without a mnemonic never match.
bool isOtherCommandsAnswer(const QString& answer, const QString& command);
// Silence that ends an answer without a carriage return, in ms.
inline constexpr int kSilenceMs = 10;
// Caption of the serial-link window in the current language ("Serial Link" by default);
// the title of the port-opening error.
QString serialLinkCaption(const AppState& s);
// The pause around a command sent as a whole line: TempsPause2 (100 when 0 or absent), or
// TempsPause while a configuration file is sent.
int linePauseMs(const AppState& s);
// Half of a pause around a command, halves rounded to even (25 gives 12).
int halfPause(int pauseMs);

} // namespace tav
