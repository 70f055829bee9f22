#pragma once

class QWidget;

namespace tav {

// Keeps a window alive while one of its handlers runs: an exchange may let events run, and one
// of them may close the window. A window that deletes itself on close is then deleted when the
// outermost handler has returned.
class HandlerDepth {
public:
    explicit HandlerDepth(QWidget& window) : window_(window) {}
    HandlerDepth(const HandlerDepth&) = delete;
    HandlerDepth& operator=(const HandlerDepth&) = delete;

    bool busy() const { return depth_ > 0; }
    // Number of handlers running (1 inside the outermost one).
    int depth() const { return depth_; }
    // Called from the window's closeEvent: postpones the deletion while a handler runs.
    void closing();

    // One running handler, for its whole scope.
    class Scope {
    public:
        explicit Scope(HandlerDepth& depth) : d_(depth) { ++d_.depth_; }
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        HandlerDepth& d_;
    };

private:
    QWidget& window_;
    int depth_ = 0;
    bool deleteWhenIdle_ = false;
};

} // namespace tav
