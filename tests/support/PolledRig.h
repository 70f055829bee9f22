#pragma once

#include "core/poll/Poll.h"
#include "support/BoardRig.h"

#include <QDateTime>

#include <memory>

namespace tav::test {

// The board rig for a window served by the poll: exact readings (no noise, no current ramp), a
// short answer delay, one repeat, and a poll that the tests tick by hand (no event pumping).
struct PolledRig : BoardRig {
    Poll poll{s};

    explicit PolledRig(qint16 windowCode) {
        board.setNoiseEnabled(false);
        board.setRampEnabled(false);
        port.setAnswerDelay(3);
        s.Timer = &poll;
        s.TempsTimeout = 250;
        s.TempsRafraichissement = 250;
        s.NbRepetitions = 1;
        s.processEvents = [] {};
        s.FenetreActive = windowCode;
    }

    // Opens window W (its load runs in the constructor) with a fixed date and time.
    template <class W> std::unique_ptr<W> openWindow() {
        port.clearHistory();
        auto w = std::make_unique<W>(s);
        w->currentTime = [] { return QDateTime(QDate(2026, 12, 5), QTime(9, 7, 30)); };
        return w;
    }
};

} // namespace tav::test
