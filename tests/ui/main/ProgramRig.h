#pragma once

#include "core/AppState.h"
#include "support/ManualClock.h"
#include "support/ScriptedPort.h"
#include "support/ScriptedPrompts.h"
#include "ui/main/FrmPrincipale.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace tav::test {

// An empty program folder and a scripted board; start() runs the main window's load and lets
// the queued reports show.
struct ProgramRig {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedPort port{clock};
    ScriptedPrompts prompts;
    AppState s{dir.path(), port, clock, prompts};
    std::unique_ptr<FrmPrincipale> window;

    FrmPrincipale& start() {
        window.reset();
        window = std::make_unique<FrmPrincipale>(s);
        window->Form_Load();
        QCoreApplication::processEvents();
        return *window;
    }
    // Writes a file of the program folder.
    void put(const QString& name, const QByteArray& bytes) {
        QFile f(s.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

} // namespace tav::test
