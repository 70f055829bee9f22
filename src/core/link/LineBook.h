#pragma once

#include <QByteArray>
#include <QString>

#include <deque>
#include <optional>

namespace tav {

struct AppState;

// The exchange's line bookkeeping for one port: the lines sent and when, the lines still owed an
// answer, and the input carried from one read to the next. Only the exchange uses it.
//
// Rules:
// - An answer is a whole line, complete at its carriage return; pieces are joined until it comes.
//   A line feed that comes first is dropped. Without a carriage return within the time-out of its
//   first character, a text is no answer, unless it went silent by then and is the waiting
//   command's own answer: it is then taken, and its line stays owed for its tail only (text
//   that does not start with a mnemonic), which is discarded.
//   Noise (bytes outside 0x20-0x7E) ends at kSilenceMs of silence.
// - Every non-empty line sent is owed an answer under its mnemonic. Boards answer in order: an
//   answer belongs to the oldest owed line it can answer (its mnemonic; "!" to a write or an
//   action; other text to the oldest line), never to a line sent after its first character came,
//   and it settles every older line still owed (the board skipped them).
// - Horizon: an owed line is awaited until its sending time + H, H = max(3 s, twice its
//   command's attempt budget, twice the longest lateness seen since the port opened, capped at
//   kLatenessCapMs). It is then remembered for one more H: an answer for it is measured,
//   discarded and said, never taken by a later command, unless it comes within the time-out of
//   that command's line (the board skipped the old line).
// - Before a command's first line goes out, it waits for the owed lines whose answer it could
//   take (same mnemonic, no mnemonic, a write or an action, or any when it has none) until they
//   are answered or past their horizon. Other owed answers arriving later are discarded.
// - A read "M?" takes only "M=" or "M#" answers, or, when nothing was owed as it went out, a
//   bare value or an unknown-command answer ("/"); other text is discarded and the wait goes on.
// - An answer arriving later than the time-out after its line is said once in the flow list
//   ("LATE n ms") and to AppState::lateAnswer each time.
// - Input is bounded: a line longer than kMaxLine is discarded whole; nothing carried grows past
//   it. Every wait has a deadline fixed when it starts; input never extends it.
class LineBook {
public:
    static constexpr int kMaxLine = 1024;   // a 255-byte hex record echoed is 521 characters
    static constexpr int kSilenceMs = 10;   // ends noise without a line end
    static constexpr qint64 kMinHorizonMs = 3000;
    static constexpr qint64 kLatenessCapMs = 10000;

    // A new opening, a closing or an emptied input: nothing owed, nothing carried.
    void reset();
    bool owes() const { return !owed_.empty(); }
    qint64 horizonMs(qint64 budgetMs) const;

    // Starts a command: waits for the owed lines it could take for its answer.
    void beginCommand(AppState& s, const QString& command);
    // Starts a bare read that takes the next line, whatever it answers.
    void beginRead();
    // A line went out now (CR excluded); the command's attempt budget sets its horizon. Lines of
    // the command under way belong to it; empty lines owe nothing.
    void sent(AppState& s, const QByteArray& line, qint64 budgetMs);
    // Takes what waits in the port before a line goes out, so it never passes for its answer.
    void takeWaiting(AppState& s);
    // One attempt's answer for the command under way (any line when none is): the line, without
    // its carriage return; none on time-out or a lost device. *ended: a carriage return came.
    std::optional<QByteArray> readAnswer(AppState& s, bool* ended);
    // The command is over: its lines not answered are owed like any other.
    void endCommand();
    // Waits for every owed line until it is answered or past its horizon, discarding the answers.
    void drain(AppState& s);

    enum class Kind { Read, WriteOrAction, Other };

private:
    struct Owed {
        QByteArray mnemonic; // upper case; empty for hex records and typed text
        Kind kind;
        qint64 sentAt;
        quint64 seq; // lines sent before it and it
        qint64 horizonAt;
        qint64 forgetAt;
        bool current;
        bool partial = false; // taken without its line end: awaits only its tail
    };
    struct Command {
        QByteArray mnemonic;
        Kind kind = Kind::Other;
        bool active = false;
        bool owedAtStart = false;
        quint64 firstSeq = 0; // its first line; answers cannot come before it
    };
    static constexpr int kCurrent = -2; // owner: the command under way, no owed line of its own
    enum class Step { Continue, Taken, NoAnswer };
    struct Start {
        qint64 at;   // arrival of the line's first character
        quint64 seq; // lines sent by then
    };


    void prune(qint64 now);
    // Waits for input until `until`, or less when a line in progress reaches its own deadline.
    // False when the device went away.
    bool receive(AppState& s, qint64 until);
    void append(AppState& s, const QByteArray& bytes, qint64 at);
    bool inProgress() const { return !in_.isEmpty(); }
    // Handles the complete lines and a line in progress past its deadline.
    Step process(AppState& s, QByteArray* answer, bool* ended);
    Step handleLine(AppState& s, const QByteArray& line, Start start, bool noise,
                    QByteArray* answer);
    Step handleCut(AppState& s, QByteArray* answer);
    // Index of the owed line an answer belongs to, or -1.
    int ownerOf(const AppState& s, const QByteArray& line, Start start) const;
    void settle(AppState& s, int index, Start arrived);
    // Sending time of the newest line of the command under way sent before `seq`, if any.
    std::optional<qint64> newestOwnSentAt(quint64 seq) const;
    bool forCommand(int owner) const;
    bool blocking(const Owed& o) const;
    // Waits until the blocking lines are answered or past their horizon.
    void awaitBlocking(AppState& s);
    // True when the command under way takes this line (its owner) for its answer.
    bool commandTakes(const QByteArray& line) const;
    void discardLog(AppState& s, const QString& prefix, const QByteArray& text);

    std::deque<Owed> owed_;
    Command cmd_;
    QByteArray in_;             // input not taken yet: complete lines, then a line in progress
    std::deque<Start> starts_; // one for each of those lines
    quint64 sentCount_ = 0;
    qint64 lastAt_ = 0;         // arrival of the last character
    bool skipping_ = false; // dropping an overlong line up to its carriage return
    qint64 longestLate_ = 0;
    bool lateLogged_ = false;
};

} // namespace tav
