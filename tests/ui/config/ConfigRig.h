#pragma once

#include "core/poll/Poll.h"
#include "support/BoardRig.h"
#include "ui/config/FrmConfigManuelle.h"

#include <QStringList>

#include <map>
#include <memory>

namespace tav::test {

// A manual configuration window against the in-process board on the manual clock.
struct ConfigRig : BoardRig {
    Poll poll{s};
    // Answers that replace the board's for whole command lines ("VER?" -> "").
    std::map<QByteArray, QByteArray> answers;

    ConfigRig() {
        board.setNoiseEnabled(false);
        board.setRampEnabled(false);
        port.setAnswerDelay(3);
        port.responder = [this](const QByteArray& line) -> std::optional<QByteArray> {
            const auto it = answers.find(line);
            if (it == answers.end()) return std::nullopt;
            return it->second;
        };
        s.Timer = &poll;
        s.TempsTimeout = 250;
        s.TempsRafraichissement = 250;
        s.NbRepetitions = 1;
        s.processEvents = [] {};
        s.FenetreActive = FrmConfigManuelle::kCode;
    }

    std::unique_ptr<FrmConfigManuelle> open() {
        port.clearHistory();
        auto w = std::make_unique<FrmConfigManuelle>(s);
        w->currentTime = [] { return QDateTime(QDate(2026, 12, 5), QTime(9, 7, 30)); };
        return w;
    }
    // Opens the window and runs the first tick (the full read).
    std::unique_ptr<FrmConfigManuelle> openAndRead() {
        auto w = open();
        w->TraiterTopConfig();
        port.clearHistory();
        return w;
    }

    QStringList sent() const {
        QStringList out;
        for (const QByteArray& l : port.receivedLines())
            out << QString::fromLatin1(l);
        return out;
    }
};

} // namespace tav::test
