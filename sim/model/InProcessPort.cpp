#include "InProcessPort.h"

#include <algorithm>

namespace tav::sim {

InProcessPort::InProcessPort(BoardModel& board, tav::Clock& clock) : board_(board), clock_(clock) {}

bool InProcessPort::open(const QString& portName, const tav::LineSettings& settings,
                         QString* error) {
    auto fail = [error](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (open_) return fail(QStringLiteral("Port already open"));
    if (!openError_.isEmpty()) return fail(openError_);
    if (unplugged_ || (!deviceName_.isEmpty() && portName != deviceName_))
        return fail(QStringLiteral("No such file or directory"));
    open_ = true;
    ++openCount_;
    openedName_ = portName;
    settings_ = settings;
    line_.clear();
    overlong_ = false;
    pending_.clear();
    input_ = bytesAtOpen_;
    return true;
}

void InProcessPort::close() {
    open_ = false;
    pending_.clear();
    input_.clear();
    line_.clear();
}

void InProcessPort::unplug() {
    unplugged_ = true;
    dropPending_ = false;
    close();
}

void InProcessPort::clearHistory() {
    received_.clear();
    unreadAtLines_.clear();
    sent_.clear();
    rawWritten_.clear();
}

bool InProcessPort::write(const QByteArray& data) {
    deliverDue();
    if (!open_ || dropIfDue()) return false;
    rawWritten_ += data;
    for (char c : data) {
        if (c != '\r') {
            // The board's line buffer holds 32000 characters; a longer line is dropped whole.
            if (line_.size() >= BoardModel::kMaxLine) {
                overlong_ = true;
                line_.clear();
            }
            line_ += c;
            continue;
        }
        const QByteArray line = overlong_ ? QByteArray() : line_;
        const bool dropped = overlong_;
        line_.clear();
        overlong_ = false;
        if (dropped) continue;
        answerLine(line);
    }
    return true;
}

void InProcessPort::answerLine(const QByteArray& line) {
    received_.push_back(line);
    unreadAtLines_.push_back(input_);
    board_.advanceTo(clock_.now());

    const bool wrongRate = boardBaud_ > 0 && settings_.baud != boardBaud_;
    QByteArray answer;
    bool noise = false; // garbage carries no carriage return: nothing on the line is framed
    std::optional<QByteArray> scripted = responder ? responder(line) : std::nullopt;
    if (wrongRate) {
        // A board at another rate sees noise: it stays silent or sends noise back.
        if (wrongRateGarbage_) {
            answer = garbage(std::max<int>(4, line.size()));
            noise = true;
        }
    } else if (scripted) {
        answer = *scripted;
    } else {
        answer = board_.handleLine(line);
    }

    if (!wrongRate && fault_ != Fault::None && faultCount_ != 0) {
        if (fault_ == Fault::NoAnswer)
            answer.clear();
        else {
            answer = garbage(std::max<int>(4, answer.size()));
            noise = true;
        }
        if (faultCount_ > 0 && --faultCount_ == 0) fault_ = Fault::None;
    }

    if (!answer.isEmpty()) {
        sent_.push_back(answer);
        const QByteArray bytes = noise ? answer : answer + '\r';
        const qint64 due = clock_.now() + delayMs_;
        if (splitGapMs_ > 0 && bytes.size() > 1) {
            const int first =
                splitFirst_ > 0 ? std::min<int>(splitFirst_, bytes.size() - 1) : bytes.size() / 2;
            pending_.push_back({due, bytes.left(first)});
            pending_.push_back({due + splitGapMs_, bytes.mid(first)});
        } else {
            pending_.push_back({due, bytes});
        }
    }

    if (dropAfter_ > 0 && --dropAfter_ == 0)
        dropPending_ = true; // the adapter goes away once the answer has been read
}

bool InProcessPort::dropIfDue() {
    if (!dropPending_ || !pending_.isEmpty() || !input_.isEmpty()) return false;
    dropPending_ = false;
    unplug();
    return true;
}

QByteArray InProcessPort::garbage(int length) {
    QByteArray g;
    for (int i = 0; i < length; ++i) {
        garbageSeed_ = garbageSeed_ * 1103515245u + 12345u;
        g += static_cast<char>(0x80 | ((garbageSeed_ >> 16) & 0x7f)); // never a carriage return
    }
    return g;
}

void InProcessPort::deliverDue() const {
    const qint64 now = clock_.now();
    while (!pending_.isEmpty() && pending_.first().due <= now)
        input_ += pending_.takeFirst().bytes;
}

bool InProcessPort::waitForInput(int msecs) {
    deliverDue();
    if (!open_ || dropIfDue()) return false;
    if (!input_.isEmpty()) return true;
    if (msecs <= 0) return false;
    const qint64 deadline = clock_.now() + msecs;
    if (!pending_.isEmpty() && pending_.first().due <= deadline) {
        clock_.sleep(static_cast<int>(pending_.first().due - clock_.now()));
        deliverDue();
        return !input_.isEmpty();
    }
    clock_.sleep(static_cast<int>(deadline - clock_.now()));
    deliverDue();
    return !input_.isEmpty();
}

qint64 InProcessPort::bytesAvailable() const {
    if (!open_) return 0;
    deliverDue();
    return input_.size();
}

QByteArray InProcessPort::readAll() {
    if (!open_) return {};
    deliverDue();
    QByteArray out = input_;
    input_.clear();
    return out;
}

void InProcessPort::clearInput() {
    deliverDue();
    input_.clear();
}

} // namespace tav::sim
