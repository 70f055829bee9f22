#include "ui/support/Tooltips.h"

#include "core/AppState.h"
#include "core/link/Catalogue.h"
#include "core/settings/Ini.h"

#include <QWidget>

namespace tav {

void loadTooltip(const AppState& s, const QString& section, QWidget* control) {
    if (!control)
        return;
    const QString key = control->toolTip();
    // An empty key would name no entry; skip the file.
    control->setToolTip(key.isEmpty() ? QString() : LireIni(s.generalIni(), section, key));
}

void assignTooltip(const AppState& s, const QString& section, QWidget* control, int key) {
    if (!control)
        return;
    control->setToolTip(QString::number(key));
    loadTooltip(s, section, control);
}

QString mnemonicOf(const QWidget* control) {
    return control ? entryMnemonic(control->toolTip()) : QString();
}

} // namespace tav
