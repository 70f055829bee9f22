#include "core/configfile/ConfigFile.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/configfile/ConfigItems.h"
#include "core/io/FileReplace.h"
#include "core/io/WriteError.h"
#include "core/link/Exchange.h"
#include "core/text/Cp1252.h"
#include "core/text/Scramble.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <utility>

namespace tav {

namespace {

// The unscrambled copy lists at most this many lines in its message; the file holds them all.
constexpr int kLignesMontrees = 40;

const QByteArray kFinLigne = QByteArrayLiteral("\r\n");

// Reads the file's items; on failure the operator is told why.
std::optional<QList<FileItem>> lire(AppState& s, const QString& path, const QString& title) {
    QString error;
    const std::optional<QByteArray> content = lireFichierConfiguration(path, &error);
    if (!content) {
        s.prompts.message(error, title, PromptIcon::Critical);
        return std::nullopt;
    }
    return lireItems(*content);
}

// Writes `path`, or the file `name` of the program folder.
bool ecrire(AppState& s, const char* name, const QByteArray& data, const QString& title,
            const QString& path = {}) {
    const QString file = path.isEmpty() ? s.filePath(QString::fromLatin1(name)) : path;
    const ReplaceResult r = replaceFile(file, data);
    const QString folder = path.isEmpty() ? s.programDir : QFileInfo(file).absolutePath();
    if (!r.ok)
        s.prompts.message(
            (path.isEmpty()
                 ? QStringLiteral("%1 could not be written in the program folder (%2). %3")
                 : QStringLiteral("\"%1\" could not be written (%2). %3"))
                .arg(path.isEmpty() ? QString::fromLatin1(name) : QDir::toNativeSeparators(path),
                     r.error, writeAdvice(r.error, folder)),
            title, PromptIcon::Critical);
    return r.ok;
}

// Restores the pacing flag however the load ends.
struct LongPause {
    explicit LongPause(AppState& s) : s_(s), before_(s.PauseLongue) { s_.PauseLongue = true; }
    ~LongPause() { s_.PauseLongue = before_; }
    AppState& s_;
    bool before_;
};

} // namespace

bool CrypterFichier(AppState& s, const QString& plainPath, const QString& title,
                    const QString& outPath) {
    const std::optional<QList<FileItem>> items = lire(s, plainPath, title);
    if (!items) return false;
    QByteArray out;
    for (const FileItem& item : *items) {
        const qsizetype bad = firstUnprintable(item.text);
        if (bad >= 0) {
            s.prompts.message(
                QStringLiteral("Crypt File refused: the item \"%1\" (line %2) holds the character "
                               "%3, which a configuration file cannot carry. Board commands use "
                               "plain ASCII characters only: correct the file and crypt it again. "
                               "%4 was not changed.")
                    .arg(itemForMessage(item.text), QString::number(item.line),
                         characterForMessage(item.text, bad), QString::fromLatin1(kFichierCrypte)),
                title, PromptIcon::Critical);
            return false;
        }
        out += BrouillerTexte(item.text) + kFinLigne;
    }
    if (!ecrire(s, kFichierCrypte, out, title, outPath)) return false;
    s.prompts.message(QStringLiteral("Crypt File OK."), title, PromptIcon::Information);
    return true;
}

bool DecrypterFichier(AppState& s, const QString& title) {
    const QString path = s.filePath(QString::fromLatin1(kFichierCrypte));
    if (!QFile::exists(path)) {
        s.prompts.message(QStringLiteral("No file to decrypt."), title, PromptIcon::Information);
        return false;
    }
    const std::optional<QList<FileItem>> items = lire(s, path, title);
    if (!items) return false;
    QByteArray out;
    QByteArray shown;
    for (qsizetype i = 0; i < items->size(); ++i) {
        const QByteArray line = BrouillerTexte(items->at(i).text) + kFinLigne;
        out += line;
        if (i < kLignesMontrees) shown += line;
    }
    if (!ecrire(s, kFichierDecrypte, out, title)) return false;
    QString text = QStringLiteral("DeCrypt File OK.\r\n\r\n") + fromCp1252(shown);
    if (items->size() > kLignesMontrees)
        text += QStringLiteral("... and %1 more lines in %2.")
                    .arg(items->size() - kLignesMontrees)
                    .arg(QString::fromLatin1(kFichierDecrypte));
    s.prompts.message(text, title, PromptIcon::Information);
    return true;
}

bool ChargerFichierConfiguration(AppState& s, const QString& FichierConfiguration,
                                 const QString& title, LoadReport* report) {
    LoadReport ignored;
    LoadReport& rep = report ? *report : ignored;
    rep = {};
    const std::optional<QList<FileItem>> items = lire(s, FichierConfiguration, title);
    if (!items) return false;
    // Every command is checked before the first one goes out: a plain or foreign file would
    // otherwise be refused at its first line and the board reset to its factory parameters.
    QStringList commandes;
    QList<int> lignes;
    for (const FileItem& item : *items) {
        const QByteArray c = BrouillerTexte(item.text);
        if (c.isEmpty()) continue;
        if (firstUnprintable(c) >= 0) {
            s.prompts.message(
                QStringLiteral("\"%1\" is not a scrambled configuration file: line %2 does not "
                               "unscramble into a board command. Choose a file made by \"Crypt "
                               "File\". Nothing was sent to the board.")
                    .arg(QDir::toNativeSeparators(FichierConfiguration),
                         QString::number(item.line)),
                title, PromptIcon::Critical);
            return false;
        }
        commandes << QString::fromLatin1(c);
        lignes << item.line;
    }
    if (!commandes.isEmpty() && !s.PortOEM.isOpen() && !OuvrirPort(s))
        return false; // the opening reported why; nothing was sent

    LongPause pause(s);
    for (qsizetype i = 0; i < commandes.size(); ++i) {
        const QString& commande = commandes.at(i);
        ++rep.sent;
        const QString reponse = EnvoyerCommande(s, commande);
        if (reponse.contains(u'!')) continue;
        rep.outcome = reponse.isEmpty() ? LoadReport::NoAnswer : LoadReport::Refused;
        rep.command = commande;
        // The commands before this one are in the board: bring back its factory parameters.
        const bool rappel = EnvoyerCommande(s, QStringLiteral("RVP")).contains(u'!');
        // The answer stands between the parentheses; the command it answered follows.
        const QString quoi =
            reponse.isEmpty()
                ? QStringLiteral("\r\nThe board did not answer \"%1\" (line %2 of the file): "
                                 "check the link, then load the file again.")
                : QStringLiteral("\r\nThe board refused \"%1\" (line %2 of the file): correct "
                                 "it in the plain file, crypt it again and load it.");
        s.prompts.message(
            (rappel ? QStringLiteral("Load Configuration File Failed, initial factory parameters "
                                     "recalled. (") +
                          reponse + QStringLiteral(" failed)")
                    : QStringLiteral("Load Configuration File Failed. (") + reponse +
                          QStringLiteral(" failed)\r\n\r\nThe board did not confirm the recall "
                                         "of its factory parameters (RVP): check the link, then "
                                         "use \"Reload TAV Parameters\".")) +
                quoi.arg(commande).arg(lignes.at(i)),
            title, PromptIcon::Critical);
        return false;
    }
    rep.outcome = LoadReport::Loaded;
    s.prompts.message(QStringLiteral("Load Configuration File successfull.") +
                          (commandes.isEmpty() ? QStringLiteral("\r\nThe file held no command: "
                                                                "nothing was sent to the board.")
                                               : QString()),
                      title, PromptIcon::Information);
    return true;
}

} // namespace tav
