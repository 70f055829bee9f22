#include "support/ScriptedPort.h"

#include <algorithm>
#include <utility>

namespace tav::test {

QByteArray ScriptedPort::written() const {
    QByteArray all;
    for (const Write& w : writes)
        all += w.bytes;
    return all;
}

void ScriptedPort::arriveIn(qint64 delayMs, const QByteArray& bytes) {
    const Arrival a{clock_.now() + delayMs, bytes};
    auto it = std::upper_bound(arrivals_.begin(), arrivals_.end(), a.time,
                               [](qint64 t, const Arrival& x) { return t < x.time; });
    arrivals_.insert(it, a);
}

void ScriptedPort::schedule(const Answer& a) {
    qint64 delay = 0;
    for (const Burst& b : a) {
        delay += b.delayMs;
        arriveIn(delay, b.bytes);
    }
}

void ScriptedPort::deliver() const {
    while (!arrivals_.isEmpty() && arrivals_.front().time <= clock_.now())
        input_ += arrivals_.takeFirst().bytes;
}

bool ScriptedPort::checkUnplug() {
    if (unplugAt_ >= 0 && clock_.now() >= unplugAt_) {
        gone_ = true;
        unplugAt_ = -1;
        open_ = false;
        arrivals_.clear();
        input_.clear();
    }
    return gone_;
}

bool ScriptedPort::open(const QString& portName, const LineSettings& settings, QString* error) {
    checkUnplug();
    if (!openError.isEmpty() || gone_) {
        if (error)
            *error = openError.isEmpty() ? QStringLiteral("No such file or directory") : openError;
        return false;
    }
    open_ = true;
    ++openCount;
    openedName = portName;
    openedSettings = settings;
    return true;
}

bool ScriptedPort::write(const QByteArray& data) {
    if (checkUnplug() || !open_) return false;
    writes.push_back({clock_.now(), data});
    for (const char c : data) {
        pendingLine_ += c;
        if (c != '\r') continue;
        const QByteArray line = pendingLine_;
        pendingLine_.clear();
        lines.push_back(line);
        if (!answers.isEmpty())
            schedule(answers.takeFirst());
        else if (responder)
            schedule(responder(line));
    }
    return true;
}

bool ScriptedPort::waitForInput(int msecs) {
    if (checkUnplug() || !open_) return false;
    deliver();
    if (!input_.isEmpty()) return true;
    const qint64 until = clock_.now() + qMax(0, msecs);
    const qint64 next = arrivals_.isEmpty() ? -1 : arrivals_.front().time;
    if (unplugAt_ >= 0 && unplugAt_ <= until && (next < 0 || unplugAt_ <= next)) {
        clock_.advance(unplugAt_ - clock_.now());
        checkUnplug();
        return false;
    }
    if (next >= 0 && next <= until) {
        clock_.advance(next - clock_.now());
        deliver();
        return true;
    }
    clock_.advance(until - clock_.now());
    return false;
}

qint64 ScriptedPort::bytesAvailable() const {
    if (open_) deliver();
    return open_ ? input_.size() : 0;
}

QByteArray ScriptedPort::readAll() {
    if (checkUnplug() || !open_) return {};
    deliver();
    return std::exchange(input_, {});
}

void ScriptedPort::clearInput() {
    deliver();
    input_.clear();
}

} // namespace tav::test
