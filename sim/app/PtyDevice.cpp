#include "PtyDevice.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tav::sim {

namespace {

struct SpeedEntry {
    speed_t speed;
    qint32 baud;
};

constexpr SpeedEntry kSpeeds[] = {
    {B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},       {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},         {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},       {B19200, 19200},   {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};

constexpr int kClientPollMs = 10;
constexpr int kPaceTickMs = 2;

} // namespace

qint32 baudFromSpeed(unsigned speed) {
    for (const auto& e : kSpeeds)
        if (e.speed == speed) return e.baud;
    return 0;
}

unsigned speedFromBaud(qint32 baud) {
    for (const auto& e : kSpeeds)
        if (e.baud == baud) return e.speed;
    return 0;
}

PtyDevice::PtyDevice(QObject* parent) : QObject(parent) {
    clientPoll_ = new QTimer(this);
    clientPoll_->setInterval(kClientPollMs);
    connect(clientPoll_, &QTimer::timeout, this, &PtyDevice::pollForClient);
    paceTimer_ = new QTimer(this);
    paceTimer_->setInterval(kPaceTickMs);
    connect(paceTimer_, &QTimer::timeout, this, &PtyDevice::flushOut);
}

PtyDevice::~PtyDevice() {
    close();
}

bool PtyDevice::create(qint32 baud, QString* error) {
    close();
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        if (master_ >= 0) ::close(master_);
        master_ = -1;
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) return fail("posix_openpt");
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = QString::fromLocal8Bit(name);

    // Terminal settings made on the master apply to the slave: raw, at the board's rate.
    termios tio{};
    if (::tcgetattr(master_, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    if (const unsigned speed = speedFromBaud(baud)) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    }
    if (::tcsetattr(master_, TCSANOW, &tio) != 0) return fail("tcsetattr");
    if (!speedFromBaud(baud)) setTerminalBaud(master_, baud);

    hungUp_ = false;
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyDevice::onReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyDevice::onWritable);
    return true;
}

void PtyDevice::close() {
    clientPoll_->stop();
    paceTimer_->stop();
    // Possibly called from one of these notifiers' own signals: disable now, delete later.
    for (QSocketNotifier* n : {readNotifier_, writeNotifier_}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    readNotifier_ = nullptr;
    writeNotifier_ = nullptr;
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    out_.clear();
    path_.clear();
}

qint32 PtyDevice::clientBaud() const {
    if (master_ < 0) return 0;
    if (const qint32 baud = terminalBaud(master_)) return baud;
    termios tio{};
    if (::tcgetattr(master_, &tio) != 0) return 0;
    return baudFromSpeed(::cfgetospeed(&tio));
}

void PtyDevice::onReadable() {
    if (master_ < 0) return;
    char buf[4096];
    // Bounded so that a flooding client cannot starve the event loop.
    for (int round = 0; round < 16; ++round) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            emit received(QByteArray(buf, static_cast<int>(n)));
            if (master_ < 0) return; // closed by a receiver (dropped adapter)
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
        hangUp(); // EIO or end of file: the last client closed the terminal
        return;
    }
}

void PtyDevice::hangUp() {
    hungUp_ = true;
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
    paceTimer_->stop();
    out_.clear();
    // Nothing stale for the next client: what the last one left unread stays in the slave's
    // input, and only a flush through the slave side empties it.
    ::tcflush(master_, TCIFLUSH);
    const int slave =
        ::open(QFile::encodeName(path_).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        ::tcflush(slave, TCIFLUSH);
        ::close(slave);
    }
    clientPoll_->start();
    emit clientGone();
}

void PtyDevice::pollForClient() {
    if (master_ < 0) {
        clientPoll_->stop();
        return;
    }
    pollfd pfd{master_, POLLIN, 0};
    if (::poll(&pfd, 1, 0) < 0 || (pfd.revents & POLLHUP)) return;
    hungUp_ = false;
    clientPoll_->stop();
    readNotifier_->setEnabled(true);
    if (pfd.revents & POLLIN) onReadable();
}

void PtyDevice::send(const QByteArray& bytes) {
    if (master_ < 0 || hungUp_) return;
    const qint64 room = kMaxQueue - out_.size();
    out_ += bytes.left(static_cast<int>(std::max<qint64>(0, room)));
    if (pace_ > 0) {
        if (!paceTimer_->isActive()) {
            budget_ = 1; // the first character leaves at once
            paceClock_.start();
            paceTimer_->start();
        }
    }
    flushOut();
}

void PtyDevice::onWritable() {
    flushOut();
}

void PtyDevice::flushOut() {
    if (master_ < 0 || hungUp_) return;
    qint64 allowed = out_.size();
    if (pace_ > 0) {
        budget_ = std::min(budget_ + paceClock_.restart() * pace_ / 1000.0, pace_ / 100.0 + 16.0);
        allowed = std::min<qint64>(allowed, static_cast<qint64>(budget_));
    }
    if (allowed > 0) {
        const ssize_t n = ::write(master_, out_.constData(), static_cast<size_t>(allowed));
        if (n > 0) {
            out_.remove(0, static_cast<int>(n));
            if (pace_ > 0) budget_ -= static_cast<double>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            out_.clear();
        }
    }
    if (out_.isEmpty()) {
        paceTimer_->stop();
        budget_ = 0;
    }
    // Wait for room in the terminal when it is full (unpaced output only).
    writeNotifier_->setEnabled(!out_.isEmpty() && pace_ <= 0);
}

} // namespace tav::sim
