#pragma once

#include "core/link/SerialPort.h"
#include "support/ManualClock.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>

namespace tav::test {

// A serial port played by a script on the manual clock. It records what is written (with the
// clock time of each write) and answers each completed line (ended by CR) with the next scripted
// answer: bursts of bytes arriving at given delays. Waiting for input moves the clock to the
// next arrival or by the whole wait; it never sleeps for real.
class ScriptedPort final : public SerialPort {
public:
    struct Burst {
        qint64 delayMs = 0; // after the previous burst; the first one after the line's CR
        QByteArray bytes;
    };
    using Answer = QList<Burst>;

    explicit ScriptedPort(ManualClock& clock) : clock_(clock) {}

    // Scripted answers, one per completed line, taken in order. An empty Answer is silence.
    // When the queue is empty, the responder (if any) is asked; otherwise the line gets no answer.
    void answer(const QByteArray& bytes, qint64 delayMs = 2) { answers.push_back({{delayMs, bytes}}); }
    void answerBursts(const Answer& bursts) { answers.push_back(bursts); }
    void silence() { answers.push_back({}); }
    QList<Answer> answers;
    std::function<Answer(const QByteArray& line)> responder;

    // Bytes that arrive by themselves, ms from now.
    void arriveIn(qint64 delayMs, const QByteArray& bytes);
    // The device disappears ms from now (the port closes itself); open() then fails.
    void unplugIn(qint64 delayMs) { unplugAt_ = clock_.now() + delayMs; }

    // Open failure: open() fails with this text while it is not empty.
    QString openError;

    struct Write {
        qint64 time;
        QByteArray bytes;
    };
    QList<Write> writes;
    QByteArray written() const;
    QList<QByteArray> lines; // completed lines, CR included
    QString openedName;
    LineSettings openedSettings;
    int openCount = 0;

    // SerialPort
    bool open(const QString& portName, const LineSettings& settings, QString* error) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& data) override;
    bool waitForInput(int msecs) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void clearInput() override;

private:
    struct Arrival {
        qint64 time;
        QByteArray bytes;
    };
    void schedule(const Answer& a);
    void deliver() const; // moves arrivals due by now into the input
    bool checkUnplug();

    ManualClock& clock_;
    bool open_ = false;
    bool gone_ = false;
    qint64 unplugAt_ = -1;
    QByteArray pendingLine_;
    mutable QList<Arrival> arrivals_; // sorted by time
    mutable QByteArray input_;
};

} // namespace tav::test
