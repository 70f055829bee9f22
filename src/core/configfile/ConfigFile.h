#pragma once

#include <QString>

namespace tav {

struct AppState;

// Configuration files: plain files of board commands, kept scrambled (BrouillerTexte) in
// "cfg_vtl.txt" of the program folder. Each operation tells the operator its outcome through
// the prompts, with `title` (the main window's caption) as title; files are written whole
// (CR LF lines, Windows-1252) or not at all.

inline constexpr char kFichierCrypte[] = "cfg_vtl.txt";
inline constexpr char kFichierDecrypte[] = "Decrypt_cfg_vtl.txt";
// The file dialogs' filter.
inline constexpr char kFiltreTexte[] = "Texte (*.txt)";

// "Crypt File": each item of the plain file, scrambled, as one line of "cfg_vtl.txt" (or of
// `outPath`, when given), replacing the file. An item holding a character outside printable
// ASCII would not come back whole (or would be refused by the load): the file is refused, naming
// the item, and nothing is written.
bool CrypterFichier(AppState& s, const QString& plainPath, const QString& title,
                    const QString& outPath = {});

// "Decrypt File": "cfg_vtl.txt" unscrambled into "Decrypt_cfg_vtl.txt", shown under
// "DeCrypt File OK.". "No file to decrypt." when there is none.
bool DecrypterFichier(AppState& s, const QString& title);

// "Load Configuration File": sends the unscrambled items of the file in order with the long
// pause (PauseLongue), skipping empty ones; the first command not acknowledged with "!" stops
// the load and "RVP" recalls the board's factory parameters. A file whose items do not all
// unscramble into printable commands is not a scrambled configuration file: it is refused and
// nothing is sent. A failure names the failed command and its line; a file without commands
// is said to have sent nothing. True when every command was acknowledged.
struct LoadReport {
    enum Outcome { Loaded, NotSent, Refused, NoAnswer } outcome = NotSent;
    int sent = 0;    // commands sent, the failed one included ("RVP" not)
    QString command; // the failed command
};
bool ChargerFichierConfiguration(AppState& s, const QString& FichierConfiguration,
                                 const QString& title, LoadReport* report = nullptr);

} // namespace tav
