#include "core/link/QtSerialPort.h"
#include "core/link/PortAdvice.h"

#include <QDeadlineTimer>
#include <QThread>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace tav {

namespace {

QSerialPort::Parity toQtParity(char p) {
    switch (p) {
    case 'E': return QSerialPort::EvenParity;
    case 'O': return QSerialPort::OddParity;
    case 'M': return QSerialPort::MarkParity;
    case 'S': return QSerialPort::SpaceParity;
    default: return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits toQtStopBits(int s) {
    switch (s) {
    case 2: return QSerialPort::TwoStop;
    case 15: return QSerialPort::OneAndHalfStop;
    default: return QSerialPort::OneStop;
    }
}

char fromQtParity(QSerialPort::Parity p) {
    switch (p) {
    case QSerialPort::EvenParity: return 'E';
    case QSerialPort::OddParity: return 'O';
    case QSerialPort::MarkParity: return 'M';
    case QSerialPort::SpaceParity: return 'S';
    default: return 'N';
    }
}

} // namespace

QtSerialPort::QtSerialPort() = default;

LineSettings QtSerialPort::lineSettings() const {
    LineSettings l;
    l.baud = port_.baudRate();
    l.parity = fromQtParity(port_.parity());
    l.dataBits = port_.dataBits();
    l.stopBits = port_.stopBits() == QSerialPort::OneAndHalfStop ? 15 : int(port_.stopBits());
    return l;
}

QtSerialPort::~QtSerialPort() { close(); }

bool QtSerialPort::open(const QString& portName, const LineSettings& settings, QString* error) {
    close();
    lost_ = false;
    baud_ = settings.baud > 0 ? settings.baud : 19200;
    const QString device = deviceForPortName(portName);
    port_.setPortName(device);
    port_.setBaudRate(settings.baud);
    port_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    port_.setParity(toQtParity(settings.parity));
    port_.setStopBits(toQtStopBits(settings.stopBits));
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(kReadBufferSize);
    if (!port_.open(QIODevice::ReadWrite)) {
        if (error) {
            *error = port_.errorString();
            if (error->isEmpty())
                *error = QStringLiteral("Cannot open %1").arg(port_.portName());
            // Busy (locked by another program) and forbidden both come as a permission error.
            if (port_.error() == QSerialPort::PermissionError &&
                !error->contains(QLatin1String("lock file")))
                *error = portRefusalText(examinePort(device));
        }
        port_.clearError();
        return false;
    }
    port_.clearError();
    return true;
}

void QtSerialPort::close() {
    if (port_.isOpen())
        port_.close();
    port_.clearError();
}

bool QtSerialPort::isOpen() const { return port_.isOpen(); }

bool QtSerialPort::checkLost() {
    switch (port_.error()) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
        port_.clearError();
        return false;
    default:
        // Read, write and resource errors on a serial line mean the device is gone or
        // unusable; keeping the port open would make every wait return at once.
        lost_ = true;
        close();
        return true;
    }
}

bool QtSerialPort::hungUp() const {
#ifdef Q_OS_UNIX
    pollfd p{};
    p.fd = static_cast<int>(port_.handle());
    p.events = POLLIN;
    if (p.fd < 0 || ::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

bool QtSerialPort::write(const QByteArray& data) {
    if (!port_.isOpen())
        return false;
    if (port_.write(data) != data.size()) {
        checkLost();
        return false;
    }
    // Hand the bytes to the driver now: the caller's pauses are meant to follow the sending.
    const int lineMs = static_cast<int>(qint64(data.size()) * 10 * 1000 / baud_);
    QDeadlineTimer deadline(1000 + lineMs);
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            if (checkLost())
                return false;
            if (deadline.hasExpired())
                return false;
        }
    }
    return true;
}

bool QtSerialPort::waitForInput(int msecs) {
    if (!port_.isOpen())
        return false;
    if (port_.bytesAvailable() > 0)
        return true;
    QDeadlineTimer deadline(qMax(0, msecs));
    if (wholeAnswers_ && msecs > 0) {
        // "IPW=-123" and its CR at the line rate.
        const qint64 answerMs = std::max<qint64>(1, qint64(9) * 10 * 1000 / baud_);
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(msecs, answerMs)));
    }
    for (;;) {
        port_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        if (port_.bytesAvailable() > 0) {
            port_.clearError();
            return true;
        }
        if (checkLost())
            return false;
        if (deadline.hasExpired())
            return false;
        // Back early with neither data nor error: a hung-up line reports this way on some
        // drivers. Never loop on it without pausing.
        if (hungUp()) {
            lost_ = true;
            close();
            return false;
        }
        QThread::msleep(1);
    }
}

qint64 QtSerialPort::bytesAvailable() const { return port_.isOpen() ? port_.bytesAvailable() : 0; }

QByteArray QtSerialPort::readAll() { return port_.isOpen() ? port_.readAll() : QByteArray(); }

void QtSerialPort::clearInput() {
    if (!port_.isOpen())
        return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
    port_.clearError();
}

} // namespace tav
