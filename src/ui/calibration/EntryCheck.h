#pragma once

#include <QObject>

#include <functional>

class QLineEdit;

namespace tav {

struct AppState;

// Runs a check on text boxes when the operator presses Enter in one (when asked for) and when
// the focus leaves one for another control. Losing the focus because the whole window went
// to the background (a message box, another program) is not leaving the box.
class EntryCheck final : public QObject {
    Q_OBJECT
public:
    EntryCheck(QObject* parent, bool onEnter, std::function<void(QLineEdit*)> check);
    void watch(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(QLineEdit* box);

    bool onEnter_;
    bool running_ = false;
    std::function<void(QLineEdit*)> check_;
};

// The numeric rule of the calibration and bounds windows: a text that is neither empty nor a
// number is refused with `message` (critical icon, `title`), the box is emptied and gets the
// focus back. True when the text is accepted.
bool acceptNumericBox(AppState& s, QLineEdit* box, const QString& message, const QString& title);

} // namespace tav
