#include "core/link/Catalogue.h"

#include "core/settings/Ini.h"

namespace tav {

QString entryMnemonic(const QString& entry) {
    const qsizetype space = entry.indexOf(QLatin1Char(' '));
    return space < 0 ? QString() : entry.left(space);
}

EntryParts splitEntry(const QString& entry) {
    const qsizetype space = entry.indexOf(QLatin1Char(' '));
    if (space < 0)
        return {QString(), entry};
    return {entry.left(space), entry.mid(space + 1)};
}

QString joinEntry(const QString& mnemonic, const QString& description) {
    if (mnemonic.isEmpty() && !description.contains(QLatin1Char(' ')))
        return description;
    return mnemonic + QLatin1Char(' ') + description;
}

bool isNotUsed(const QString& entry) {
    return entry.compare(QLatin1String("NOT USED"), Qt::CaseInsensitive) == 0;
}

QList<CatalogueEntry> readCatalogue(const QString& generalIni, const QString& section,
                                    bool skipNotUsed) {
    QList<CatalogueEntry> out;
    for (int key = 1;; ++key) {
        const QString text = LireIni(generalIni, section, QString::number(key));
        if (text.isEmpty())
            break;
        if (skipNotUsed && isNotUsed(text))
            continue;
        out.push_back({key, text});
    }
    return out;
}

} // namespace tav
