#include "ui/support/SettingsReport.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/settings/Ini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tav {

namespace {
const SettingsFailureReport* listening = nullptr;
} // namespace

SettingsFailureReport::SettingsFailureReport(Prompts& prompts, QString title, QObject* parent)
    : QObject(parent), prompts_(prompts), title_(std::move(title)) {
    listening = this;
    setIniFailureHandler([this](const IniFailure& failure) {
        if (reported_.contains(failure.reason))
            return;
        reported_.insert(failure.reason);
        const QString text =
            QStringLiteral("The settings could not be saved in %1: %2. Free some space or "
                           "choose another folder.")
                .arg(QDir::toNativeSeparators(QFileInfo(failure.file).absolutePath()),
                     failure.reason);
        QMetaObject::invokeMethod(
            this, [this, text] { prompts_.message(text, title_, PromptIcon::Critical); },
            Qt::QueuedConnection);
    });
}

SettingsFailureReport::~SettingsFailureReport() {
    if (listening != this)
        return;
    listening = nullptr;
    setIniFailureHandler({});
}

namespace {

// A file that exists and holds none of the sections that mark it as what it is.
bool damaged(const QString& file, std::initializer_list<const char*> sections) {
    if (!QFile::exists(file))
        return false;
    for (const char* section : sections)
        if (iniHasSection(file, QString::fromLatin1(section)))
            return false;
    return true;
}

} // namespace

QString damagedSettingsMessage(const AppState& s) {
    QStringList parts;
    if (damaged(s.generalIni(), {"RS232", "WRITE SYN", "READ SYN", "CMD READ SYN",
                                 "FrmAlarmsThresholds"}))
        parts << QStringLiteral(
                     "The settings file \"%1\" is damaged: it holds none of its settings, so "
                     "the serial link and the command lists use empty values. To restore its "
                     "defaults, close the program, delete or rename the file and start the "
                     "program again.")
                     .arg(QDir::toNativeSeparators(s.generalIni()));
    // ValueSupervision does not count: the program writes the language into it at every start.
    if (damaged(s.langueIni(), {"FrmPrincipaleEn", "FrmPrincipaleFr", "FrmMenuPilotageEn",
                                "FrmSupervisionEn", "FrmMotDePasseEn", "FrmMotDePasseFr"}))
        parts << QStringLiteral(
                     "The language file \"%1\" is damaged: it holds none of its texts, so menus "
                     "and windows show no captions. To restore its defaults, close the program, "
                     "delete or rename the file and start the program again. Without that file "
                     "the program also returns to the customer variant: the factory menu "
                     "entries are hidden until the administrator password is typed again.")
                     .arg(QDir::toNativeSeparators(s.langueIni()));
    return parts.join(QStringLiteral("\n\n"));
}

} // namespace tav
