#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tav {

struct AppState;

// Window titles, also the captions of every message of a download.
inline constexpr char16_t kTitreUsine[] = u"Loading Software";
inline constexpr char16_t kTitreClient[] = u"Customer";

// What a front end (download window or console) sees of a running download. Every hook is
// optional.
struct DownloadHooks {
    std::function<void(int total)> started;                  // lines to send
    std::function<void(const QString& line)> sending;        // before a line goes out
    std::function<void(const QString& answer)> acknowledged; // the board's answer to a line
    std::function<void(int sent)> progress;                  // lines sent; 0 at the end (client)
    std::function<bool()> cancelled;                         // asked after each line
    std::function<int()> pauseMs; // pause after each line, asked at every line (factory)
};

enum class DownloadOutcome { Succeeded, Failed, Cancelled };

struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    int sent = 0;
};

// Reads and checks the file before anything is sent; messages carry the window's title. A file
// that cannot be used (missing, folder, empty, too large, unreadable) is refused. One that is not
// sound Intel-HEX is refused by the customer sequence; the factory one sends it only when the
// operator says so. Gives the lines to send, or nothing.
std::optional<QStringList> preparerTelechargement(AppState& s, const QString& path, bool factory);

// Factory sequence: each line unchanged, acknowledged through EnvoyerCommande, or written with
// EcrireCommande without waiting. Ends with "SUCCESSED" or the failed line (with, on a second
// line, the board's answer, its silence or the lost port, and what to do); a cancel between two
// lines ends it at once.
DownloadResult TelechargerUsine(AppState& s, const QStringList& lines, bool acknowledge,
                                const DownloadHooks& hooks);

// Customer sequence: "UPL=1", every line acknowledged, then "UPL=2" and "UPL=3" (also after a
// failed line); a cancel between two lines sends neither. Failure messages say why and what to do
// on a second line. The pause between lines is
// LOAD_HEX_FILE/TxtSleep of General.ini.
DownloadResult TelechargerClient(AppState& s, const QStringList& lines, const DownloadHooks& hooks);

// What brings back a board whose download stopped after its first line: the client sequence
// leaves it waiting for an image, the factory one with part of one. Failure messages end with it.
QString downloadAgainAdvice(bool factory);

// A pause typed or stored as text: its leading number, whole, within 0 .. kMaxPauseMs.
int pauseLigne(const QString& text);
inline constexpr int kMaxPauseMs = 60000;

} // namespace tav
