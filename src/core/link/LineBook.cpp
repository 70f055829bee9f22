#include "core/link/LineBook.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/link/SerialPort.h"
#include "core/link/Wait.h"
#include "core/text/Cp1252.h"

#include <algorithm>
#include <limits>
#include <string_view>

namespace tav {

namespace {

bool isPrintable(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<uchar>(c) >= 0x20 && static_cast<uchar>(c) <= 0x7e;
    });
}

bool isMnemonicChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The three-character mnemonic a text starts with, upper case, when one of `next` follows it
// ('$': the end of the text); empty otherwise.
QByteArray leadingMnemonic(const QByteArray& text, std::string_view next) {
    if (text.size() < 3 || !std::all_of(text.begin(), text.begin() + 3, isMnemonicChar))
        return {};
    const char after = text.size() == 3 ? '$' : text[3];
    return next.find(after) != std::string_view::npos ? text.left(3).toUpper() : QByteArray();
}

LineBook::Kind kindOf(const QByteArray& line, const QByteArray& mnemonic) {
    if (mnemonic.isEmpty())
        return LineBook::Kind::Other;
    return line.size() > 3 && line[3] == '?' ? LineBook::Kind::Read : LineBook::Kind::WriteOrAction;
}

qint64 timeoutMs(const AppState& s) {
    return qMax<qint64>(0, s.TempsTimeout);
}

void logAnswers(AppState& s, const QString& text) {
    if (s.FluxActif)
        s.flow.append(FlowLog::Answers, text);
}

// Bytes outside 0x20-0x7E escaped as <0x8F>.
QString escapedText(const QByteArray& text) {
    QString r;
    for (const char c : text) {
        const auto u = static_cast<uchar>(c);
        if (u >= 0x20 && u <= 0x7e)
            r += QLatin1Char(c);
        else
            r += QStringLiteral("<0x%1>").arg(QString::number(u, 16).toUpper().rightJustified(2, u'0'));
    }
    return r;
}

} // namespace

void LineBook::reset() {
    owed_.clear();
    cmd_ = {};
    in_.clear();
    starts_.clear();
    skipping_ = false;
    longestLate_ = 0;
}

qint64 LineBook::horizonMs(qint64 budgetMs) const {
    return std::max({kMinHorizonMs, 2 * budgetMs, std::min(kLatenessCapMs, 2 * longestLate_)});
}

void LineBook::prune(qint64 now) {
    std::erase_if(owed_, [now](const Owed& o) { return o.forgetAt <= now; });
}

bool LineBook::blocking(const Owed& o) const {
    return !o.current && !o.partial &&
           (cmd_.mnemonic.isEmpty() || o.mnemonic.isEmpty() || o.kind == Kind::WriteOrAction ||
            o.mnemonic == cmd_.mnemonic);
}

void LineBook::beginCommand(AppState& s, const QString& command) {
    const QByteArray first = toCp1252(command).split('\r').constFirst();
    cmd_ = {};
    cmd_.mnemonic = leadingMnemonic(first, "?=$");
    cmd_.kind = kindOf(first, cmd_.mnemonic);
    awaitBlocking(s);
    cmd_.active = true;
    cmd_.owedAtStart = owes();
    cmd_.firstSeq = std::numeric_limits<quint64>::max();
}

void LineBook::awaitBlocking(AppState& s) {
    // The deadline is the latest horizon of the lines awaited, fixed now.
    prune(s.clock.now());
    qint64 until = std::numeric_limits<qint64>::min();
    for (const Owed& o : owed_)
        if (blocking(o))
            until = std::max(until, o.horizonAt);
    for (;;) {
        QByteArray none;
        bool ended = false;
        process(s, &none, &ended);
        const qint64 now = s.clock.now();
        const bool awaited = std::any_of(owed_.begin(), owed_.end(), [&](const Owed& o) {
            return blocking(o) && o.horizonAt > now;
        });
        if (!awaited || now >= until || !receive(s, until))
            return;
    }
}

void LineBook::beginRead() {
    cmd_ = {};
    cmd_.active = true;
}

void LineBook::sent(AppState& s, const QByteArray& line, qint64 budgetMs) {
    if (line.isEmpty())
        return;
    const qint64 now = s.clock.now();
    const QByteArray mnemonic = leadingMnemonic(line, "?=$");
    const qint64 h = horizonMs(budgetMs);
    ++sentCount_;
    owed_.push_back(
        {mnemonic, kindOf(line, mnemonic), now, sentCount_, now + h, now + 2 * h, cmd_.active});
    if (cmd_.active)
        cmd_.firstSeq = std::min(cmd_.firstSeq, sentCount_);
}

void LineBook::takeWaiting(AppState& s) {
    // Bounded: a device that never stops talking must not hold the exchange here.
    for (int i = 0; i < 64 && s.PortOEM.waitForInput(0); ++i)
        append(s, s.PortOEM.readAll(), s.clock.now());
}

void LineBook::append(AppState& s, const QByteArray& bytes, qint64 at) {
    qsizetype partial = in_.size() - (in_.lastIndexOf('\r') + 1); // the line in progress
    for (const char c : bytes) {
        if (skipping_) {
            skipping_ = c != '\r';
            continue;
        }
        if (partial == 0) { // a line starts
            if (c == '\n')
                continue; // ends an earlier line
            starts_.push_back({at, sentCount_});
        }
        in_ += c;
        lastAt_ = at;
        partial = c == '\r' ? 0 : partial + 1;
        if (partial > kMaxLine) {
            // Overlong: discarded whole, up to its carriage return.
            const QByteArray line = in_.right(partial);
            in_.chop(partial);
            partial = 0;
            starts_.pop_back();
            discardLog(s, QStringLiteral("DISCARDED "), line);
            skipping_ = true;
        }
    }
}

bool LineBook::receive(AppState& s, qint64 until) {
    SerialPort& port = s.PortOEM;
    qint64 end = until;
    if (inProgress()) {
        end = std::min(end, starts_.back().at + timeoutMs(s));
        if (!isPrintable(in_))
            end = std::min(end, lastAt_ + kSilenceMs);
    }
    const qint64 wait = std::clamp<qint64>(end - s.clock.now(), 0, std::numeric_limits<int>::max());
    if (!waitForInput(s, static_cast<int>(wait)))
        return port.isOpen();
    append(s, port.readAll(), s.clock.now());
    return true;
}

LineBook::Step LineBook::process(AppState& s, QByteArray* answer, bool* ended) {
    prune(s.clock.now());
    for (qsizetype cr; (cr = in_.indexOf('\r')) >= 0;) {
        const QByteArray line = in_.left(cr);
        in_.remove(0, cr + 1);
        const Start start = starts_.front();
        starts_.pop_front();
        const Step step = handleLine(s, line, start, false, answer);
        if (step != Step::Continue) {
            *ended = true;
            return step;
        }
    }
    if (!inProgress())
        return Step::Continue;
    const qint64 now = s.clock.now();
    *ended = false;
    if (!isPrintable(in_) && now >= lastAt_ + kSilenceMs) {
        // Noise has no line end: it is over when it falls silent.
        const QByteArray noise = std::exchange(in_, {});
        const Start start = starts_.front();
        starts_.clear();
        return handleLine(s, noise, start, true, answer);
    }
    if (now >= starts_.front().at + timeoutMs(s))
        return handleCut(s, answer);
    return Step::Continue;
}

int LineBook::ownerOf(const AppState& s, const QByteArray& line, Start start) const {
    // A line past its horizon gives way to the command under way when the answer is timely for
    // the command's newest line: a board that skipped a line answers the next ones.
    const std::optional<qint64> newest = newestOwnSentAt(start.seq);
    const bool timely = newest && start.at - *newest <= timeoutMs(s);
    const auto oldest = [&](auto&& pred) {
        for (std::size_t i = 0; i < owed_.size(); ++i) {
            const Owed& o = owed_[i];
            if (o.seq <= start.seq && pred(o) && (o.current || !timely || o.horizonAt > start.at))
                return static_cast<int>(i);
        }
        return -1;
    };
    const bool commandMayOwn = cmd_.active && start.seq >= cmd_.firstSeq;
    const QByteArray m = leadingMnemonic(line, "=!#");
    int i = -1;
    if (!m.isEmpty()) {
        i = oldest([&](const Owed& o) { return !o.partial && o.mnemonic == m; });
        if (i < 0 && commandMayOwn && (cmd_.mnemonic.isEmpty() || cmd_.mnemonic == m))
            return kCurrent;
        return i;
    }
    if (line == "!") {
        i = oldest([](const Owed& o) { return !o.partial && o.kind == Kind::WriteOrAction; });
        return i < 0 && commandMayOwn && cmd_.kind != Kind::Read ? kCurrent : i;
    }
    // Other text: a write's own answer as before; otherwise the oldest line's.
    if (cmd_.active && cmd_.kind != Kind::Read)
        i = oldest([](const Owed& o) { return o.current; });
    else
        i = oldest([](const Owed&) { return true; });
    return i < 0 && commandMayOwn ? kCurrent : i;
}

std::optional<qint64> LineBook::newestOwnSentAt(quint64 seq) const {
    std::optional<qint64> newest;
    for (const Owed& o : owed_)
        if (o.current && o.seq <= seq)
            newest = std::max(newest.value_or(o.sentAt), o.sentAt);
    return newest;
}

bool LineBook::forCommand(int owner) const {
    return owner == kCurrent || (owner >= 0 && owed_[static_cast<std::size_t>(owner)].current);
}

void LineBook::settle(AppState& s, int index, Start arrived) {
    if (index < 0)
        return;
    const Owed o = owed_[static_cast<std::size_t>(index)];
    // Among the command's own attempts, the answer may be to the newest one sent before it came:
    // late only when it is late for that one too, and then as late as for its oldest.
    const qint64 newest = o.current ? newestOwnSentAt(arrived.seq).value_or(o.sentAt) : o.sentAt;
    // The board answers in order: older lines still owed were skipped.
    owed_.erase(owed_.begin(), owed_.begin() + index + 1);
    if (arrived.at - newest <= timeoutMs(s))
        return;
    const qint64 late = arrived.at - o.sentAt;
    longestLate_ = std::max(longestLate_, late);
    if (s.FluxActif && !lateLogged_) {
        lateLogged_ = true;
        logAnswers(s, QStringLiteral("LATE %1 ms").arg(late));
    }
    if (s.lateAnswer)
        s.lateAnswer(late);
}

bool LineBook::commandTakes(const QByteArray& line) const {
    if (cmd_.kind != Kind::Read)
        return true;
    // A read takes its own value, or a bare one (or an unknown-command answer) when nothing
    // else was owed as it went out.
    if (leadingMnemonic(line, "=#") == cmd_.mnemonic)
        return true;
    const bool bare = line.contains('/') ||
                      (!line.contains('=') && !line.contains('!') && !line.contains('#'));
    return bare && !cmd_.owedAtStart;
}

void LineBook::discardLog(AppState& s, const QString& prefix, const QByteArray& text) {
    logAnswers(s, prefix + escapedText(text));
}

LineBook::Step LineBook::handleLine(AppState& s, const QByteArray& line, Start start,
                                    bool noise, QByteArray* answer) {
    const int owner = ownerOf(s, line, start);
    const QString logged = fromCp1252(line) + (noise ? QString() : QStringLiteral("\r"));
    const auto discard = [&] { logAnswers(s, QStringLiteral("DISCARDED ") + logged); };
    if (!forCommand(owner)) {
        // An empty line only ends an earlier one: not worth a word.
        if (!line.isEmpty() || noise)
            discard();
        settle(s, owner, start);
        return Step::Continue;
    }
    if (!isPrintable(line)) {
        settle(s, owner, start);
        switch (s.unprintableAnswers) {
        case AppState::Unprintable::Discard:
            discard();
            return Step::Continue;
        case AppState::Unprintable::Escape:
            *answer = escapedText(line).toLatin1();
            return Step::Taken;
        case AppState::Unprintable::Keep:
            *answer = line;
            return Step::Taken;
        }
    }
    if (!commandTakes(line)) {
        discard();
        return Step::Continue;
    }
    settle(s, owner, start);
    *answer = line;
    return Step::Taken;
}

LineBook::Step LineBook::handleCut(AppState& s, QByteArray* answer) {
    const QByteArray text = std::exchange(in_, {});
    const Start start = starts_.front();
    starts_.clear();
    const qint64 deadline = start.at + timeoutMs(s);
    const int owner = ownerOf(s, text, start);
    if (!forCommand(owner)) {
        discardLog(s, QStringLiteral("DISCARDED "), text);
        return Step::Continue;
    }
    // Taken only when it fell silent in time and is the command's own; its line stays owed.
    if (commandTakes(text) && lastAt_ + kSilenceMs <= deadline) {
        if (owner >= 0)
            owed_[owner].partial = true;
        *answer = text;
        return Step::Taken;
    }
    discardLog(s, QStringLiteral("TIMEOUT "), text);
    return Step::NoAnswer;
}

std::optional<QByteArray> LineBook::readAnswer(AppState& s, bool* ended) {
    const qint64 deadline = s.clock.now() + timeoutMs(s);
    for (;;) {
        QByteArray answer;
        switch (process(s, &answer, ended)) {
        case Step::Taken:
            return answer;
        case Step::NoAnswer:
            return std::nullopt;
        case Step::Continue:
            break;
        }
        if (!inProgress() && s.clock.now() >= deadline) {
            logAnswers(s, QStringLiteral("TIMEOUT"));
            return std::nullopt;
        }
        if (!receive(s, inProgress() ? std::numeric_limits<qint64>::max() : deadline))
            return std::nullopt; // device lost
    }
}

void LineBook::endCommand() {
    for (Owed& o : owed_)
        o.current = false;
    cmd_ = {};
}

void LineBook::drain(AppState& s) {
    cmd_ = {}; // a command without mnemonic awaits every line
    awaitBlocking(s);
}

} // namespace tav
