#pragma once

#include <QList>
#include <QString>

namespace tav {

// The command catalogue kept in "General.ini": numbered lists of entries "MNE description",
// keys "1", "2", ... An empty text ends a list.
inline const QString kWriteSyn = QStringLiteral("WRITE SYN");
inline const QString kReadSyn = QStringLiteral("READ SYN");
inline const QString kCmdReadSyn = QStringLiteral("CMD READ SYN");
// Supervision marks of the CMD READ SYN rows: key = row number, value "X" or empty.
inline const QString kReadX = QStringLiteral("READ X");

// Mnemonic of an entry: its text before the first space. An entry without a space has no
// mnemonic (empty text), so a control bound to it sends nothing.
QString entryMnemonic(const QString& entry);

// An entry split into its two columns of the "Commands GET" window: the mnemonic and the text
// after the first space. An entry without a space gives an empty mnemonic and the whole text
// as description.
struct EntryParts {
    QString mnemonic;
    QString description;
};
EntryParts splitEntry(const QString& entry);
// Inverse of splitEntry: "mnemonic description". With an empty mnemonic the description is
// written alone when that reads back the same way (no space in it), so an entry without a
// space survives a load and a save unchanged.
QString joinEntry(const QString& mnemonic, const QString& description);

// True for the placeholder entry "NOT USED" (any letter case).
bool isNotUsed(const QString& entry);

struct CatalogueEntry {
    int key = 0;
    QString text;
};

// Entries of one catalogue list, keys 1, 2, ... up to the first empty text.
// With skipNotUsed, "NOT USED" entries are left out (their keys are skipped).
QList<CatalogueEntry> readCatalogue(const QString& generalIni, const QString& section,
                                    bool skipNotUsed = true);

} // namespace tav
