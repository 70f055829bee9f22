#include "core/poll/Poll.h"

#include "core/AppState.h"

#include <algorithm>

namespace tav {

qint64 secondsSinceYearStart(const QDateTime& t) {
    const QDateTime yearStart(QDate(t.date().year(), 1, 1), QTime(0, 0), t.timeSpec());
    return yearStart.secsTo(t);
}

qint64 periodSeconds(int periodMs) {
    const qint64 q = periodMs / 1000;
    const qint64 r = periodMs % 1000;
    if (r > 500 || (r == 500 && (q % 2) != 0))
        return q + 1;
    return q;
}

bool echeanceReached(qint32& echeance, qint64 now, int periodMs) {
    const qint64 step = periodSeconds(periodMs);
    if (echeance != 0 && now < echeance && echeance - now <= step)
        return false;
    echeance = static_cast<qint32>(now + step);
    return true;
}

Poll::Poll(AppState& s, QObject* parent) : QObject(parent), s_(s) {
    setObjectName(QStringLiteral("Poll"));
    timer_.setObjectName(QStringLiteral("Timer"));
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &Poll::TraiterTop);
}

void Poll::start() {
    const qint64 period = std::clamp<qint64>(s_.TempsRafraichissement, 0, kPollPeriodMax);
    timer_.setInterval(static_cast<int>(period));
    timer_.start();
    s_.RafraichissementDemande = true;
}

void Poll::stop() {
    timer_.stop();
    timer_.setInterval(0);
    s_.FenetreActive = AppState::kNoWindow;
}

void Poll::TraiterTop() {
    if (running_)
        return;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    try {
        if (timer_.interval() == 0) {
            timer_.stop();
            return;
        }
        if (!echeanceReached(EcheanceSuivante, secondsSinceYearStart(currentTime()),
                             timer_.interval()))
            return;
        const auto it = refresh_.find(s_.FenetreActive);
        if (it == refresh_.end() || !it->second)
            return;
        // A copy: the window may clear its registration (close) while its refresh runs.
        const std::function<void()> refresh = it->second;
        refresh();
    } catch (...) {
        // A failed refresh ends this tick; the next tick tries again.
    }
}

void Poll::setRefresh(int code, std::function<void()> refresh) {
    if (refresh)
        refresh_[code] = std::move(refresh);
    else
        refresh_.erase(code);
}

void Poll::clearRefresh(int code) {
    refresh_.erase(code);
}

bool Poll::hasRefresh(int code) const {
    return refresh_.count(code) != 0;
}

} // namespace tav
