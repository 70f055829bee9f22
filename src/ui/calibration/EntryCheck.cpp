#include "ui/calibration/EntryCheck.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/text/Numbers.h"
#include "ui/support/Hourglass.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace tav {

EntryCheck::EntryCheck(QObject* parent, bool onEnter, std::function<void(QLineEdit*)> check)
    : QObject(parent), onEnter_(onEnter), check_(std::move(check)) {}

void EntryCheck::watch(QLineEdit* box) {
    box->installEventFilter(this);
}

bool EntryCheck::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return false;
    if (event->type() == QEvent::KeyPress && onEnter_) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            run(box);
            return true; // not the dialog's default button
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) run(box);
    }
    return false;
}

void EntryCheck::run(QLineEdit* box) {
    // The check may show a message and move the focus: that is not another leaving.
    if (running_) return;
    running_ = true;
    check_(box);
    running_ = false;
}

bool acceptNumericBox(AppState& s, QLineEdit* box, const QString& message, const QString& title) {
    if (box->text().isEmpty() || isNumericText(box->text())) return true;
    {
        NormalCursor normal;
        s.prompts.message(message, title, PromptIcon::Critical);
    }
    box->clear();
    box->setFocus();
    return false;
}

} // namespace tav
