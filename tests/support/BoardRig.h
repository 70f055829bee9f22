#pragma once

#include "core/AppState.h"
#include "core/settings/Defaults.h"
#include "core/settings/Ini.h"
#include "core/translation/DefaultTexts.h"
#include "model/BoardModel.h"
#include "model/InProcessPort.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompts.h"

#include <QStringList>
#include <QTemporaryDir>

namespace tav::test {

// A fresh program folder with the default settings and texts (language "En") and the simulated
// board behind the in-process port, on the manual clock.
struct BoardRig {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedPrompts prompts;
    sim::BoardModel board;
    sim::InProcessPort port{board, clock};
    AppState s{dir.path(), port, clock, prompts};

    BoardRig() {
        EcrireParametresDefaut(dir.path());
        EcrireTextesDefaut(s.langueIni());
        EcrireIni(s.langueIni(), QStringLiteral("ValueSupervision"), QStringLiteral("Langue"),
                  QStringLiteral("En"));
    }

    // Lines the board received since the last clear.
    QStringList sent() const {
        QStringList out;
        for (const QByteArray& l : port.receivedLines())
            out << QString::fromLatin1(l);
        return out;
    }
    void clear() {
        port.clearHistory();
        prompts.clear();
    }
    // Lines starting with `prefix` get `answer` (empty: silence); the board answers the rest.
    void refuse(const QByteArray& prefix, const QByteArray& answer) {
        port.responder = [prefix, answer](const QByteArray& line) -> std::optional<QByteArray> {
            if (line.startsWith(prefix)) return answer;
            return std::nullopt;
        };
    }
};

} // namespace tav::test
