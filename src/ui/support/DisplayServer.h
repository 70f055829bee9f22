#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class QCoreApplication;
class QEvent;

namespace tav {

struct AppState;

// Serves the display while an exchange waits (see core/link/Wait.h), for every window: paints,
// exposes and answers the desktop, but runs neither timers (no poll tick) nor user input nor
// closes. The window system keeps its own input queued; input and closes that reach a window
// anyway (sent by another part of the program or by a test) are held and delivered, in their
// order, where pending messages may run again: at the points the windows let them run, or back
// in the main loop once the operation is over. A close therefore never cuts an exchange short;
// the windows end their sequence after the exchange under way, as for a close at those points.
class DisplayServer final : public QObject {
public:
    DisplayServer(QCoreApplication& app, AppState& s);
    ~DisplayServer() override;

    void serve();

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void deliverHeld();

    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event; // null: a close of the receiving window
    };
    AppState& s_;
    std::vector<Held> held_;
    QTimer deliver_; // a timer: it fires only where timers may run
};

} // namespace tav
