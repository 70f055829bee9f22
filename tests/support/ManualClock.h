#pragma once

#include "core/Clock.h"

#include <QVector>

namespace tav::test {

// A clock that only moves when slept or advanced; records every sleep.
class ManualClock final : public Clock {
public:
    qint64 now() const override { return now_; }
    void sleep(int ms) override {
        sleeps.push_back(ms);
        if (ms > 0)
            now_ += ms;
    }
    void advance(qint64 ms) { now_ += ms; }
    QVector<int> sleeps;

private:
    qint64 now_ = 1000;
};

} // namespace tav::test
