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
        if ((t == QEvent::MouseButtonPress || t == QEvent::KeyPress) && receiver->isWidgetType()) {
            // Answering a box is part of the action that showed it.
            const QWidget* w = static_cast<QWidget*>(receiver)->window();
            if (!qobject_cast<const QMessageBox*>(w) && !qobject_cast<const QInputDialog*>(w) &&
                !qobject_cast<const QFileDialog*>(w))
                ++s_.actionOperateur;
        }
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
