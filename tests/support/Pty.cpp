#include "Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <utility>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tav::test {

namespace {

speed_t speedFor(qint32 baud) {
    static const std::pair<qint32, speed_t> speeds[] = {
        {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},    {19200, B19200},
        {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}};
    for (const auto& [rate, speed] : speeds)
        if (rate == baud) return speed;
    return B0;
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
    if (::tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    const speed_t speed = speedFor(baud);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
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

QByteArray readAnswer(int fd, int timeoutMs) {
    return readUntil(fd, timeoutMs, true);
}

QByteArray readFor(int fd, int ms) {
    return readUntil(fd, ms, false);
}

void closeDevice(int fd) {
    if (fd >= 0) ::close(fd);
}

bool PtyPair::open() {
    close();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) return false;
    char name[128];
    termios tio{};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0 || ::tcgetattr(master_, &tio) != 0) {
        close();
        return false;
    }
    ::cfmakeraw(&tio);
    ::tcsetattr(master_, TCSANOW, &tio);
    slave_ = QString::fromLocal8Bit(name);
    return true;
}

void PtyPair::close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    slave_.clear();
}

} // namespace tav::test
