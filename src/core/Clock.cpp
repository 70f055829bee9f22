#include "core/Clock.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

namespace tav {

namespace {
qint64 monotonicMs() {
    return QDeadlineTimer::current().deadline();
}
} // namespace

SystemClock::SystemClock() : origin_(monotonicMs()) {}

qint64 SystemClock::now() const {
    return monotonicMs() - origin_;
}

void SystemClock::sleep(int ms) {
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace tav
