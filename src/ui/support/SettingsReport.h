#pragma once

#include <QObject>
#include <QString>

namespace tav {

struct AppState;
struct IniFailure;

// Tells the operator that settings could not be saved, once for each operator action that made
// a failed save (s.actionOperateur); the main window keeps one for the run. Saves of a poll tick
// belong to the action that opened its window, and a failure a tick repeats is not told again
// until a save has succeeded. Outside a tick the message shows at once, so that a settings window
// shows it before it closes; within a tick it shows once the tick has returned.
class SettingsFailureReport : public QObject {
public:
    SettingsFailureReport(AppState& s, QString title, QObject* parent);
    ~SettingsFailureReport() override; // stops listening

private:
    void failed(const IniFailure& failure);

    AppState& s_;
    QString title_;
    quint64 toldAction_ = ~quint64(0); // the action whose failure was told last
    QString toldFailure_;              // file and reason told last
    quint64 savesWhenTold_ = 0;        // iniWritesSucceeded() then
};

} // namespace tav
