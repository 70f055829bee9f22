#pragma once

// A client of tavoem-sim with plain POSIX calls, for timing the simulator without the program's
// serial layer.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tav::bench {

// A raw non-blocking device at 19200 bit/s, the simulator's default rate (-1 on failure).
inline int openRawDevice(const QString& path) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    bool ok = ::tcgetattr(fd, &tio) == 0;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    ok = ok && ::tcsetattr(fd, TCSANOW, &tio) == 0;
    if (!ok) ::close(fd);
    return ok ? fd : -1;
}

// Reads until the time-out passes, the device closes or (when asked) a CR has arrived.
inline QByteArray readUntil(int fd, int timeoutMs, bool stopAtCr) {
    QByteArray data;
    const QDeadlineTimer deadline(timeoutMs);
    while (!(stopAtCr && data.contains('\r')) && !deadline.hasExpired()) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            data.append(buf, static_cast<int>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return data;
}

// Writes command + CR and returns what arrives until a CR or the time-out (empty: no answer).
inline QByteArray exchangeRaw(int fd, const QByteArray& command, int timeoutMs = 1000) {
    const QByteArray line = command + '\r';
    const QDeadlineTimer writeDeadline(timeoutMs);
    qint64 done = 0;
    while (done < line.size()) {
        if (writeDeadline.hasExpired()) return {};
        const ssize_t n =
            ::write(fd, line.constData() + done, static_cast<size_t>(line.size() - done));
        if (n < 0 && errno != EAGAIN && errno != EINTR) return {};
        if (n > 0)
            done += n;
        else
            ::usleep(1000);
    }
    return readUntil(fd, timeoutMs, true);
}

inline void closeDevice(int fd) { if (fd >= 0) ::close(fd); }

} // namespace tav::bench
