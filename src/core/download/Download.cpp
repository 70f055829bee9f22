#include "core/download/Download.h"

#include "core/AppState.h"
#include "core/Prompts.h"
#include "core/download/HexFile.h"
#include "core/link/Exchange.h"
#include "core/link/Wait.h"
#include "core/settings/Ini.h"
#include "core/text/Numbers.h"

#include <algorithm>

namespace tav {

namespace {

template <typename F, typename... A> void call(const F& hook, A&&... args) {
    if (hook) hook(std::forward<A>(args)...);
}

void letEventsRun(AppState& s) {
    if (s.processEvents) s.processEvents();
}

bool acknowledged(const QString& answer) {
    return answer.contains(u'!');
}

// What a failed step got: an answer, no answer, or a port that went away.
QString cause(AppState& s, const QString& step, const QString& answer) {
    if (!s.PortOEM.isOpen())
        return QStringLiteral("The serial port went away at %1 (adapter pulled?): plug it back "
                              "and check the cable.").arg(step);
    if (answer.isEmpty())
        return QStringLiteral("The board did not answer %1: check the port and the cable.")
            .arg(step);
    return QStringLiteral("The board refused %1 with \"%2\".").arg(step, answer);
}

QString advice(bool factory) {
    return QStringLiteral(" Then ") + downloadAgainAdvice(factory);
}

QString lineFailed(AppState& s, int line, const QString& answer, bool factory) {
    return QStringLiteral("Load hex file FAILED. (Line %1)\n").arg(line) +
           cause(s, QStringLiteral("line %1").arg(line), answer) + advice(factory);
}

QString loaded(const QString& head, int lines) {
    return head + QString::number(lines) + QStringLiteral("Lines loaded)");
}

} // namespace

QString downloadAgainAdvice(bool factory) {
    return factory ? QStringLiteral("run the download again to its end: the board holds only "
                                    "part of the new image.")
                   : QStringLiteral("run the download again to its end: the board waits for a "
                                    "new image and runs no software until one is loaded whole.");
}

int pauseLigne(const QString& text) {
    return int(std::clamp<qint64>(leadingInteger(text), 0, kMaxPauseMs));
}

std::optional<QStringList> preparerTelechargement(AppState& s, const QString& path, bool factory) {
    const QString title = QString::fromUtf16(factory ? kTitreUsine : kTitreClient);
    HexFile f = lireFichierHex(path);
    if (!f.error.isEmpty()) {
        s.prompts.message(f.error, title, PromptIcon::Critical);
        return std::nullopt;
    }
    if (!f.problem.ok()) {
        const QString text = messageHexInvalide(path, f.problem);
        if (!factory) {
            s.prompts.message(text + QStringLiteral("\nNothing was sent to the board."), title,
                              PromptIcon::Critical);
            return std::nullopt;
        }
        if (!s.prompts.askYesNo(text + QStringLiteral("\n\nSend it to the board anyway?"), title,
                                PromptIcon::Exclamation))
            return std::nullopt;
    }
    return std::move(f.lines);
}

DownloadResult TelechargerUsine(AppState& s, const QStringList& lines, bool acknowledge,
                                const DownloadHooks& hooks) {
    const QString title = QString::fromUtf16(kTitreUsine);
    DownloadResult r;
    bool failed = false;
    call(hooks.started, int(lines.size()));
    for (const QString& line : lines) {
        call(hooks.sending, line);
        letEventsRun(s);
        QString answer;
        if (acknowledge) {
            answer = EnvoyerCommande(s, line);
            failed = !acknowledged(answer);
            if (!failed) call(hooks.acknowledged, answer);
        } else {
            // Nothing can be acknowledged here, but a link that is gone must not count as sent.
            if (OuvrirPort(s)) EcrireCommande(s, line + u'\r', 0);
            failed = !s.PortOEM.isOpen(); // the device went away: the line was not sent
        }
        if (failed) {
            s.prompts.message(lineFailed(s, r.sent + 1, answer, true), title,
                              PromptIcon::Critical);
            break;
        }
        pauseMs(s, hooks.pauseMs ? std::clamp(hooks.pauseMs(), 0, kMaxPauseMs) : 0);
        call(hooks.progress, ++r.sent);
        if (hooks.cancelled && hooks.cancelled()) {
            s.prompts.message(loaded(QStringLiteral("Load hex file stopped. ("), r.sent), title,
                              PromptIcon::Information);
            r.outcome = DownloadOutcome::Cancelled;
            break;
        }
    }
    if (!failed && r.outcome != DownloadOutcome::Cancelled) {
        s.prompts.message(loaded(QStringLiteral("Load hex file SUCCESSED. ("), r.sent), title,
                          PromptIcon::Information);
        r.outcome = DownloadOutcome::Succeeded;
    }
    ViderReception(s);
    return r;
}

DownloadResult TelechargerClient(AppState& s, const QStringList& lines,
                                 const DownloadHooks& hooks) {
    const QString title = QString::fromUtf16(kTitreClient);
    const int pause = pauseLigne(
        LireIni(s.generalIni(), QStringLiteral("LOAD_HEX_FILE"), QStringLiteral("TxtSleep")));
    const auto fail = [&](const QString& text) {
        s.prompts.message(text, title, PromptIcon::Critical);
    };
    // A refused UPL step: its text, then why and what to do.
    const auto uplFailed = [&](const QString& text, const QString& step, const QString& answer) {
        fail(text + u'\n' + cause(s, step, answer) + advice(false));
    };
    DownloadResult r;
    bool failed = false;
    call(hooks.started, int(lines.size()));
    if (const QString upl1 = EnvoyerCommande(s, QStringLiteral("UPL=1")); !acknowledged(upl1)) {
        // The board never entered the download: it runs its current software.
        fail(QStringLiteral("In-Application Download . (UPL=1)\n") +
             cause(s, QStringLiteral("UPL=1"), upl1) +
             QStringLiteral(" Then run the download again; nothing was sent, the board runs "
                            "its current software."));
        failed = true;
    } else {
        bool cancelled = false;
        for (const QString& line : lines) {
            call(hooks.sending, line);
            const QString answer = EnvoyerCommande(s, line);
            if (!acknowledged(answer)) {
                fail(lineFailed(s, r.sent + 1, answer, false));
                failed = true;
                break;
            }
            call(hooks.acknowledged, answer);
            pauseMs(s, pause);
            call(hooks.progress, ++r.sent);
            letEventsRun(s);
            if (hooks.cancelled && hooks.cancelled()) {
                s.prompts.message(QStringLiteral("In-Application Download stopped by customer."),
                                  title, PromptIcon::Information);
                cancelled = true;
                break;
            }
        }
        call(hooks.progress, 0);
        if (cancelled) {
            ViderReception(s);
            r.outcome = DownloadOutcome::Cancelled;
            return r;
        }
        // The board verifies (UPL=2) and starts (UPL=3) the new image, also after a failed line.
        if (const QString upl2 = EnvoyerCommande(s, QStringLiteral("UPL=2")); acknowledged(upl2)) {
            if (const QString upl3 = EnvoyerCommande(s, QStringLiteral("UPL=3"));
                !acknowledged(upl3)) {
                uplFailed(QStringLiteral("In-Application Download . (UPL=3)"),
                          QStringLiteral("UPL=3"), upl3);
                failed = true;
            }
        } else {
            uplFailed(QStringLiteral("In-Application Download  FAILED. (UPL=2)"),
                      QStringLiteral("UPL=2"), upl2);
            failed = true;
        }
    }
    if (!failed)
        s.prompts.message(loaded(QStringLiteral("In-Application Download  SUCCESSED. ("), r.sent),
                          title, PromptIcon::Information);
    ViderReception(s);
    r.outcome = failed ? DownloadOutcome::Failed : DownloadOutcome::Succeeded;
    return r;
}

} // namespace tav
