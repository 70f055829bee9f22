#include "Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tav::test {

namespace {

speed_t speedFor(qint32 baud) {
    switch (baud) {
    case 1200: return B1200; case 2400: return B2400; case 4800: return B4800;
    case 9600: return B9600; case 19200: return B19200; case 38400: return B38400;
    case 57600: return B57600; case 115200: return B115200; case 230400: return B230400;
    default: return B0;
    }
}

} // namespace

QString simulatorBinary() {
    const QString env = qEnvironmentVariable("TAVOEM_SIM_BIN");
    if (!env.isEmpty()) return env;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tavoem-sim"));
}

SimProcess::~SimProcess() {
    if (isRunning()) stop(2000);
}

bool SimProcess::start(const QStringList& args, int timeoutMs) {
    proc_.setProgram(simulatorBinary());
    proc_.setArguments(args);
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    proc_.start();
    if (!proc_.waitForStarted(timeoutMs)) return false;
    path_ = readLine(timeoutMs);
    return path_.startsWith(QLatin1Char('/'));
}

QString SimProcess::readLine(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!proc_.canReadLine()) {
        if (proc_.state() == QProcess::NotRunning || deadline.hasExpired()) return {};
        proc_.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
    return QString::fromLocal8Bit(proc_.readLine()).trimmed();
}

QString SimProcess::command(const QString& line, int timeoutMs) {
    proc_.write(line.toLocal8Bit() + '\n');
    proc_.waitForBytesWritten(timeoutMs);
    const QString reply = readLine(timeoutMs);
    if (line.trimmed() == QLatin1String("replug") && reply.startsWith(QLatin1Char('/')))
        path_ = reply;
    return reply;
}

bool SimProcess::stop(int timeoutMs) {
    if (!isRunning()) return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
    proc_.terminate(); // SIGTERM
    if (!proc_.waitForFinished(timeoutMs)) {
        proc_.kill();
        proc_.waitForFinished(timeoutMs);
        return false;
    }
    return proc_.exitStatus() == QProcess::NormalExit && proc_.exitCode() == 0;
}

QString SimProcess::errorOutput() {
    stderr_ += proc_.readAllStandardError();
    return QString::fromLocal8Bit(stderr_);
}

int openRawDevice(const QString& path, qint32 baud) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio{};
    bool ok = ::tcgetattr(fd, &tio) == 0;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, speedFor(baud));
    ::cfsetospeed(&tio, speedFor(baud));
    ok = ok && ::tcsetattr(fd, TCSANOW, &tio) == 0;
    if (!ok) ::close(fd);
    return ok ? fd : -1;
}

QByteArray exchangeRaw(int fd, const QByteArray& command, int timeoutMs) {
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
    return readAnswer(fd, timeoutMs);
}

namespace {

// Reads until the time-out passes, the device closes or (when asked) a CR has arrived.
QByteArray readUntil(int fd, int timeoutMs, bool stopAtCr) {
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

} // namespace

QByteArray readAnswer(int fd, int timeoutMs) { return readUntil(fd, timeoutMs, true); }
QByteArray readFor(int fd, int ms) { return readUntil(fd, ms, false); }
void closeDevice(int fd) { if (fd >= 0) ::close(fd); }

} // namespace tav::test
