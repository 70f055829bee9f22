#pragma once

#include "support/PolledRig.h"
#include "ui/config/FrmConfigManuelle.h"

#include <map>
#include <memory>

namespace tav::test {

// A manual configuration window against the in-process board on the manual clock.
struct ConfigRig : PolledRig {
    // Answers that replace the board's for whole command lines ("VER?" -> "").
    std::map<QByteArray, QByteArray> answers;

    ConfigRig() : PolledRig(FrmConfigManuelle::kCode) {
        port.responder = [this](const QByteArray& line) -> std::optional<QByteArray> {
            const auto it = answers.find(line);
            if (it == answers.end()) return std::nullopt;
            return it->second;
        };
    }

    std::unique_ptr<FrmConfigManuelle> open() { return openWindow<FrmConfigManuelle>(); }
    // Opens the window and runs the first tick (the full read).
    std::unique_ptr<FrmConfigManuelle> openAndRead() {
        auto w = open();
        w->TraiterTopConfig();
        port.clearHistory();
        return w;
    }
};

} // namespace tav::test
