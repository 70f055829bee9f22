#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>
#include <map>

namespace tav {

struct AppState;

// Longest period the poll timer accepts, in ms.
inline constexpr int kPollPeriodMax = 65535;

// Whole seconds from 1 January 00:00 of the year of `t` to `t`.
qint64 secondsSinceYearStart(const QDateTime& t);

// The hold-back rule of a poll tick. `echeance` is the earliest second (counted from the start
// of the year) at which a tick may work, 0 when none is set yet; `now` is the current second.
// Returns false when the tick must be held back. Otherwise moves `echeance` to
// now + periodMs / 1000 (rounded, ties to even) and returns true.
// A due time further ahead than one rounded period (the year rolled over, or the system clock
// was set back) is treated as reached, so the poll never stalls.
bool echeanceReached(qint32& echeance, qint64 now, int periodMs);

// Rounded period in whole seconds, ties to even (500 ms gives 0, 1500 and 2500 ms give 2).
qint64 periodSeconds(int periodMs);

// The main window's poll timer (`Timer`) and its tick handler `TraiterTop`.
// Polled windows register their refresh operation under their window code (`FenetreActive`:
// 1 to 3 calibration, 5 control panel, 6 manual configuration) and start/stop the timer when
// they open and close. Each working tick runs the refresh of the window named by FenetreActive.
class Poll final : public QObject {
    Q_OBJECT
public:
    explicit Poll(AppState& s, QObject* parent = nullptr);

    // Period = TempsRafraichissement limited to 0..65535 ms; enables the timer and raises
    // RafraichissementDemande.
    void start();
    // Disables the timer, period 0, FenetreActive = -999.
    void stop();

    // The tick handler. Does nothing while a previous tick is still running (a tick lets
    // pending events run, which may fire the timer again). An exception thrown by a refresh
    // ends the tick; the timer keeps running.
    void TraiterTop();

    // Refresh operation of a window code; replaces any previous one. An empty function clears.
    void setRefresh(int code, std::function<void()> refresh);
    void clearRefresh(int code);
    bool hasRefresh(int code) const;

    int period() const { return timer_.interval(); }
    bool isEnabled() const { return timer_.isActive(); }
    QTimer& timer() { return timer_; }
    bool tickRunning() const { return running_; }

    // Earliest second of the year at which the next tick may work (0 at start).
    qint32 EcheanceSuivante = 0;
    // Time source of the hold-back rule; tests replace it.
    std::function<QDateTime()> currentTime = [] { return QDateTime::currentDateTime(); };

private:
    AppState& s_;
    QTimer timer_;
    std::map<int, std::function<void()>> refresh_;
    bool running_ = false;
};

} // namespace tav
