#include "ui/support/DisplayServer.h"

#include "core/AppState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace tav {

namespace {

constexpr std::size_t kMaxHeld = 1024;

bool isUserInput(QEvent::Type t) {
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

DisplayServer::DisplayServer(QCoreApplication& app, AppState& s) : s_(s) {
    deliver_.setSingleShot(true);
    deliver_.setInterval(0);
    connect(&deliver_, &QTimer::timeout, this, &DisplayServer::deliverHeld);
    app.installEventFilter(this);
    s_.serveDisplay = [this] { serve(); };
}

DisplayServer::~DisplayServer() {
    s_.serveDisplay = nullptr;
}

void DisplayServer::serve() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::X11ExcludeTimers);
}

bool DisplayServer::eventFilter(QObject* receiver, QEvent* event) {
    if (!s_.serving || !(receiver->isWidgetType() || receiver->isWindowType()))
        return false;
    if (event->type() == QEvent::Close && receiver->isWidgetType() &&
        static_cast<QWidget*>(receiver)->isWindow()) {
        event->ignore(); // the window stays until the close is delivered
        held_.push_back({receiver, nullptr});
    } else if (isUserInput(event->type())) {
        // Bounded: the window system keeps real input itself; only sent input comes here.
        if (held_.size() < kMaxHeld)
            held_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    } else {
        return false;
    }
    deliver_.start();
    return true;
}

void DisplayServer::deliverHeld() {
    // What a delivered event's handler holds in turn waits for the next delivery.
    std::vector<Held> now;
    now.swap(held_);
    for (Held& h : now) {
        if (!h.receiver)
            continue;
        if (h.event)
            QCoreApplication::sendEvent(h.receiver, h.event.get());
        else
            static_cast<QWidget*>(h.receiver.data())->close();
    }
}

} // namespace tav
