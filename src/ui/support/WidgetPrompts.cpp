#include "ui/support/WidgetPrompts.h"

#include "ui/support/Hourglass.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tav {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Critical: return QMessageBox::Critical;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Exclamation: return QMessageBox::Warning;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetPrompts::message(const QString& text, const QString& title, PromptIcon icon) {
    NormalCursor normal; // a message must not show the hourglass
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool WidgetPrompts::askYesNo(const QString& text, const QString& title, PromptIcon icon) {
    NormalCursor normal;
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Yes | QMessageBox::No, parent_);
    // Every question of the program overwrites board data on Yes: Enter must not say Yes.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

namespace {

std::optional<QString> askText(QWidget* parent, const QString& prompt, const QString& title,
                               QLineEdit::EchoMode echo, const QString& initial) {
    NormalCursor normal;
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, echo, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace

std::optional<QString> WidgetPrompts::inputText(const QString& prompt, const QString& title,
                                                const QString& initial) {
    return askText(parent_, prompt, title, QLineEdit::Normal, initial);
}

std::optional<QString> WidgetPrompts::inputSecret(const QString& prompt, const QString& title) {
    return askText(parent_, prompt, title, QLineEdit::Password, {});
}

QString WidgetPrompts::openFileName(const QString& title, const QString& dir,
                                    const QString& filter) {
    NormalCursor normal;
    return QFileDialog::getOpenFileName(parent_, title, dir, filter);
}

QString WidgetPrompts::saveFileName(const QString& title, const QString& dir,
                                    const QString& filter) {
    NormalCursor normal;
    return QFileDialog::getSaveFileName(parent_, title, dir, filter);
}

} // namespace tav
