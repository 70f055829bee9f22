#pragma once

#include "BoardModel.h"
#include "core/Clock.h"
#include "core/link/SerialPort.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace tav::sim {

// A SerialPort wired to a BoardModel in the same process, timed by a Clock.
//
// write() collects bytes; each carriage return hands the line to the board, whose answer
// (plus a carriage return) becomes readable answerDelay ms later on the clock. waitForInput()
// moves the clock with clock.sleep() up to the arrival of the next bytes or the time-out, so
// with a manual clock a test never waits for real.
//
// Failure modes: no answer, garbage instead of the answer, answer delay, answer split in two
// bursts, wrong line rate (silence or garbage), bytes waiting at open, unplug (the port closes and open() fails until
// replug(), also automatically after N commands) and open failure with an error text.
class InProcessPort final : public tav::SerialPort {
public:
    enum class Fault { None, NoAnswer, Garbage };

    InProcessPort(BoardModel& board, tav::Clock& clock);

    // SerialPort
    bool open(const QString& portName, const tav::LineSettings& settings, QString* error) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& data) override;
    bool waitForInput(int msecs) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void clearInput() override;

    BoardModel& board() { return board_; }

    // Timing of the answers.
    void setAnswerDelay(int ms) { delayMs_ = ms; }
    int answerDelay() const { return delayMs_; }
    // Answers in two bursts gapMs apart; the first burst holds firstBytes bytes (-1: half).
    // gapMs <= 0 turns the split off.
    void setSplitAnswer(int gapMs, int firstBytes = -1) {
        splitGapMs_ = gapMs;
        splitFirst_ = firstBytes;
    }

    // Fault for the next `count` commands (-1: until changed). Fault::None clears it.
    // Garbage is a burst of bytes with the high bit set and no carriage return.
    void setFault(Fault fault, int count = -1) {
        fault_ = fault;
        faultCount_ = count;
    }
    Fault fault() const { return fault_; }

    // A scripted answer hook, asked before the board for every line: std::nullopt lets the board
    // answer; a value is the answer text (without CR); an empty value is silence.
    std::function<std::optional<QByteArray>(const QByteArray& line)> responder;

    // The board's line rate. A port opened at another rate gets silence, or garbage when
    // wrongRateGarbage is set. 0 (the default) accepts any rate.
    void setBoardBaud(qint32 baud, bool wrongRateGarbage = false) {
        boardBaud_ = baud;
        wrongRateGarbage_ = wrongRateGarbage;
    }

    // Only this name opens (others fail with "No such file or directory"); empty: any name.
    void setDeviceName(const QString& name) { deviceName_ = name; }
    // open() fails with this text while it is not empty.
    void setOpenError(const QString& text) { openError_ = text; }
    // Bytes already waiting in the input at each opening (noise or an old answer left in the
    // adapter); empty: none.
    void setBytesAtOpen(const QByteArray& bytes) { bytesAtOpen_ = bytes; }

    // The adapter disappears: the port closes, pending answers are lost, open() fails.
    void unplug();
    void replug() { unplugged_ = false; }
    bool isUnplugged() const { return unplugged_; }
    // Unplug by itself after the next n commands: the n-th answer can still be read, then the
    // next write or wait finds the port closed (0: off).
    void setDropAfter(int n) { dropAfter_ = n; }

    // What went over the line. Lines are recorded without their carriage return; answers as
    // sent, without the closing carriage return (silence is not recorded).
    QList<QByteArray> receivedLines() const { return received_; }
    QList<QByteArray> sentAnswers() const { return sent_; }
    // For each received line, the bytes that were waiting unread in the input as it came.
    QList<QByteArray> unreadAtLines() const { return unreadAtLines_; }
    QByteArray lastLine() const { return received_.isEmpty() ? QByteArray() : received_.last(); }
    void clearHistory();
    QByteArray rawWritten() const { return rawWritten_; } // every byte written while open

    QString openedName() const { return openedName_; }
    tav::LineSettings openedSettings() const { return settings_; }
    int openCount() const { return openCount_; }

private:
    struct Burst {
        qint64 due;
        QByteArray bytes;
    };
    void deliverDue() const;
    void answerLine(const QByteArray& line);
    QByteArray garbage(int length);
    bool dropIfDue();

    BoardModel& board_;
    tav::Clock& clock_;
    bool open_ = false;
    bool unplugged_ = false;
    QString deviceName_;
    QString openError_;
    QByteArray bytesAtOpen_;
    QString openedName_;
    tav::LineSettings settings_;
    int openCount_ = 0;

    int delayMs_ = 0;
    int splitGapMs_ = 0;
    int splitFirst_ = -1;
    Fault fault_ = Fault::None;
    int faultCount_ = -1;
    qint32 boardBaud_ = 0;
    bool wrongRateGarbage_ = false;
    int dropAfter_ = 0;
    bool dropPending_ = false;
    quint32 garbageSeed_ = 12345;

    QByteArray line_;
    bool overlong_ = false;
    mutable QList<Burst> pending_;
    mutable QByteArray input_;
    QList<QByteArray> received_;
    QList<QByteArray> sent_;
    QList<QByteArray> unreadAtLines_;
    QByteArray rawWritten_;
};

} // namespace tav::sim
