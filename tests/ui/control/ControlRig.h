#pragma once

#include "core/poll/Poll.h"
#include "support/BoardRig.h"
#include "ui/control/FrmMenuPilotage.h"

#include <memory>

namespace tav::test {

// A control panel against the in-process board on the manual clock; ticks are driven by the
// tests, never by the event loop.
struct ControlRig : BoardRig {
    Poll poll{s};

    ControlRig() {
        board.setNoiseEnabled(false);
        board.setRampEnabled(false);
        port.setAnswerDelay(3);
        s.Timer = &poll;
        s.TempsTimeout = 250;
        s.TempsRafraichissement = 250;
        s.NbRepetitions = 1;
        s.processEvents = [] {};
        s.FenetreActive = FrmMenuPilotage::kCode;
    }

    std::unique_ptr<FrmMenuPilotage> open() {
        port.clearHistory();
        auto w = std::make_unique<FrmMenuPilotage>(s);
        w->currentTime = [] { return QDateTime(QDate(2026, 12, 5), QTime(9, 7, 30)); };
        return w;
    }
    // Opens the panel and runs the first tick (the full read).
    std::unique_ptr<FrmMenuPilotage> openAndRead() {
        auto w = open();
        w->TraiterTopPanneau();
        port.clearHistory();
        return w;
    }
    // Answers lines starting with `prefix` with `answer` (empty: silence); the board the rest.
    void refuse(const QByteArray& prefix, const QByteArray& answer) {
        port.responder = [prefix, answer](const QByteArray& line) -> std::optional<QByteArray> {
            if (line.startsWith(prefix)) return answer;
            return std::nullopt;
        };
    }
    QString eyeSafetyStored() const {
        return LireIni(s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety");
    }
    void storeEyeSafety(const QString& v) {
        EcrireIni(s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety", v);
    }
};

} // namespace tav::test
