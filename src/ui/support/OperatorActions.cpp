#include "ui/support/OperatorActions.h"

#include "core/AppState.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace tav {

namespace {

class ActionFilter final : public QObject {
public:
    ActionFilter(QObject* parent, AppState& s) : QObject(parent), s_(s) {}

    bool eventFilter(QObject* receiver, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (!receiver->isWidgetType())
            return false;
        const QWidget* w = static_cast<QWidget*>(receiver);
        // A window closed from its title bar (the window system's close) is an action of its
        // own; one closed by a button belongs to that button's press.
        const bool action = t == QEvent::MouseButtonPress || t == QEvent::KeyPress ||
                            (t == QEvent::Close && event->spontaneous() && w->isWindow());
        // Answering a box is part of the action that showed it.
        w = w->window();
        if (action && !qobject_cast<const QMessageBox*>(w) && !qobject_cast<const QInputDialog*>(w) &&
            !qobject_cast<const QFileDialog*>(w))
            ++s_.actionOperateur;
        return false;
    }

private:
    AppState& s_;
};

} // namespace

void suivreActionsOperateur(QApplication& app, AppState& s) {
    app.installEventFilter(new ActionFilter(&app, s));
}

} // namespace tav
