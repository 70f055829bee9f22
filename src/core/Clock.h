#pragma once

#include <QtGlobal>

namespace tav {

// Millisecond tick counter and sleep. Tests use a manual clock so pacing is checked without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 now() const = 0;   // ms, monotonic
    virtual void sleep(int ms) = 0;  // ms <= 0 returns at once
};

class SystemClock final : public Clock {
public:
    SystemClock();
    qint64 now() const override;
    void sleep(int ms) override;

private:
    qint64 origin_;
};

} // namespace tav
