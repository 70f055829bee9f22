#pragma once

#include "core/link/SerialPort.h"

#include <QSerialPort>

namespace tav {

// The serial port on a real device (or a pseudo-terminal) through QSerialPort, used in
// blocking mode on the calling thread; no event loop is needed.
// A device that disappears (adapter pulled, pty master closed) closes the port: every call
// then returns at once, and the next open() finds the device again when it is back.
class QtSerialPort final : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    bool open(const QString& portName, const LineSettings& settings, QString* error) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& data) override;
    bool waitForInput(int msecs) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void clearInput() override;

    static constexpr qint64 kReadBufferSize = 32000;

    // The device name given to the last open(), after the COMn rule.
    QString deviceName() const { return port_.portName(); }
    // Line settings as configured on the QSerialPort (a pty keeps only speed and stop bits).
    LineSettings lineSettings() const;
    // True when the port was closed because its device went away.
    bool deviceLost() const { return lost_; }
    // A wait for input that finds none first sleeps the time a short answer takes at the line
    // rate, then takes what came: one wake-up for an answer instead of one a piece. For a
    // station polling dozens of ports, at the price of reading an answer up to that time late.
    void setWholeAnswers(bool on) { wholeAnswers_ = on; }

private:
    // Closes the port when the last error means the device is gone; true if so.
    bool checkLost();
    bool hungUp() const;

    QSerialPort port_;
    qint32 baud_ = 19200;
    bool lost_ = false;
    bool wholeAnswers_ = false;
};

} // namespace tav
