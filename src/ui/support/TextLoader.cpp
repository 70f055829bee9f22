#include "ui/support/TextLoader.h"

#include "core/AppState.h"
#include "core/settings/Ini.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

namespace tav {

void setCaption(QObject* control, const QString& text) {
    if (!control)
        return;
    if (auto* box = qobject_cast<QGroupBox*>(control))
        box->setTitle(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setText(text);
    else if (auto* widget = qobject_cast<QWidget*>(control))
        widget->setWindowTitle(text);
}

TextLoader::TextLoader(const AppState& state, const QString& window)
    : file_(state.langueIni()), section_(window + state.LangueCourante) {}

TextLoader::TextLoader(QString langueIni, QString section)
    : file_(std::move(langueIni)), section_(std::move(section)) {}

QString TextLoader::text(const QString& key) const {
    return LireIni(file_, section_, key);
}

void TextLoader::title(QWidget* window) const {
    if (window)
        window->setWindowTitle(text(QStringLiteral("titre")));
}

void TextLoader::caption(QObject* control, const QString& key) const {
    if (control)
        setCaption(control, text(key));
}

void TextLoader::named(std::initializer_list<QObject*> controls) const {
    for (QObject* c : controls) {
        if (c)
            caption(c, c->objectName());
    }
}

void TextLoader::tabs(QTabWidget* tabs, const QString& prefix, int first, int last) const {
    if (!tabs)
        return;
    for (int i = first; i <= last; ++i) {
        if (i >= 0 && i < tabs->count())
            tabs->setTabText(i, text(prefix + QString::number(i)));
    }
}

} // namespace tav
