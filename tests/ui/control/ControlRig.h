#pragma once

#include "support/PolledRig.h"
#include "ui/control/FrmMenuPilotage.h"

#include <memory>

namespace tav::test {

// A control panel against the in-process board on the manual clock; ticks are driven by the
// tests, never by the event loop.
struct ControlRig : PolledRig {
    ControlRig() : PolledRig(FrmMenuPilotage::kCode) {}

    std::unique_ptr<FrmMenuPilotage> open() { return openWindow<FrmMenuPilotage>(); }
    // Opens the panel and runs the first tick (the full read).
    std::unique_ptr<FrmMenuPilotage> openAndRead() {
        auto w = open();
        w->TraiterTopPanneau();
        port.clearHistory();
        return w;
    }
    QString eyeSafetyStored() const {
        return LireIni(s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety");
    }
    void storeEyeSafety(const QString& v) {
        EcrireIni(s.generalIni(), "PAR_DEFAUT", "CheckActivateEyeSafety", v);
    }
};

} // namespace tav::test
