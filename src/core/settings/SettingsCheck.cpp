#include "core/settings/SettingsCheck.h"

#include "core/link/SerialPort.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/settings/Variant.h"
#include "core/translation/DefaultTexts.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace tav {

QString damagedSettingsMessage(const QString& programDir) {
    const QDir dir(programDir);
    const QString general = dir.filePath(QStringLiteral("General.ini"));
    const QString langue = dir.filePath(QStringLiteral("langue.ini"));
    QStringList parts;
    if (QFile::exists(general)) {
        QStringList missing;
        for (const char* key : {"PORT", "BAUD", "PARITE", "DATA", "STOP"})
            if (!iniHasKey(general, QStringLiteral("RS232"), QString::fromLatin1(key)))
                missing << QString::fromLatin1(key);
        if (!missing.isEmpty())
            parts << QStringLiteral(
                         "The settings file \"%1\" is damaged: its section [RS232] lacks %2, so "
                         "the serial line cannot be opened as set. Set the serial link again in "
                         "tavoem (Parameters > Serial Link, Validate), or restore all defaults: "
                         "close the program, delete or rename the file and start it again.")
                         .arg(QDir::toNativeSeparators(general), missing.join(QStringLiteral(", ")));
    }
    // ValueSupervision does not count: the program writes the language into it at every start.
    bool texts = !QFile::exists(langue);
    for (const char* section : {"FrmPrincipaleEn", "FrmPrincipaleFr", "FrmMenuPilotageEn",
                                "FrmSupervisionEn", "FrmMotDePasseEn", "FrmMotDePasseFr"})
        texts = texts || iniHasSection(langue, QString::fromLatin1(section));
    if (!texts)
        parts << QStringLiteral(
                     "The language file \"%1\" is damaged: it holds none of its texts, so menus "
                     "and windows show no captions. To restore its defaults, close the program, "
                     "delete or rename the file and start the program again. Without that file "
                     "the program also returns to the customer variant: the factory menu "
                     "entries are hidden until the administrator password is typed again.")
                     .arg(QDir::toNativeSeparators(langue));
    return parts.join(QStringLiteral("\n\n"));
}

void prepareSettingsFiles(const QString& programDir) {
    const QDir dir(programDir);
    if (!QFile::exists(dir.filePath(QStringLiteral("General.ini"))))
        EcrireParametresDefaut(programDir);
    const QString langue = dir.filePath(QStringLiteral("langue.ini"));
    if (!QFile::exists(langue)) {
        QFile::remove(dir.filePath(QStringLiteral("fich.ini")));
        EcrireTextesDefaut(langue);
    }
}

QString applyStartOptions(const QString& programDir, bool factory,
                          const std::optional<QString>& port) {
    const QString damaged = damagedSettingsMessage(programDir);
    const QDir dir(programDir);
    const QString langue = dir.filePath(QStringLiteral("langue.ini"));
    const QString general = dir.filePath(QStringLiteral("General.ini"));
    if (factory) {
        if (!QFile::exists(langue))
            EcrireTextesDefaut(langue);
        EcrireMarqueurUsine(programDir);
    }
    if (port) {
        if (!QFile::exists(general))
            EcrireParametresDefaut(programDir);
        if (QFile::exists(general)) // no stub without the defaults when they failed
            EcrireIni(general, QStringLiteral("RS232"), QStringLiteral("PORT"),
                      port->contains(u'/') ? deviceForPortName(*port) : *port); // absolute
    }
    return damaged;
}

} // namespace tav
