#pragma once

#include <QByteArray>
#include <QString>

namespace tav {

// Line settings as the settings file holds them: "19200,N,8,1".
struct LineSettings {
    qint32 baud = 19200;
    char parity = 'N'; // N, E, O, M, S
    int dataBits = 8;
    int stopBits = 1; // 1 or 2 (15 is 1.5)

    static LineSettings parse(const QString& text, bool* ok = nullptr);
    QString toString() const;
    // Bits on the line per character: start, data, parity, stop (1.5 counts as 2).
    int bitsPerCharacter() const;
};

// The one serial port every window talks through.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // On failure returns false and sets error to the platform's description.
    virtual bool open(const QString& portName, const LineSettings& settings, QString* error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool write(const QByteArray& data) = 0;
    // Blocks until input is available, the time-out passes or the device is lost.
    // Returns true when bytes are available. Never spins; returns at once on a closed port.
    virtual bool waitForInput(int msecs) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray readAll() = 0;
    // Drops whatever is waiting in the input.
    virtual void clearInput() = 0;

    // Line settings of the last opening made by the exchange (OuvrirPort).
    LineSettings exchangeSettings;
};

// Device name for a port setting: "COMn" is the platform's n-th port; a name holding a "/" is a
// path, taken from the current folder when relative (".demo/board"); other names keep the
// platform's meaning ("ttyUSB0" is /dev/ttyUSB0).
QString deviceForPortName(const QString& portName);

} // namespace tav
