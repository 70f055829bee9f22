#pragma once

#include "core/AppState.h"
#include "core/poll/Poll.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "model/BoardModel.h"
#include "model/InProcessPort.h"
#include "support/BoardRig.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"
#include "ui/control/FrmMenuPilotage.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tav::test {

// A control panel against the in-process board on the manual clock, in a fresh program
// directory with the default settings and texts.
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
        s.processEvents = [] {}; // ticks are driven by the tests, never by the event loop
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
};

} // namespace tav::test
