#include "Pty.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

#include <algorithm>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace tav::test {


QString simulatorBinary() {
    const QString env = qEnvironmentVariable("TAVOEM_SIM_BIN");
    if (!env.isEmpty()) return env;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tavoem-sim"));
}

void ownGroup(QProcess& p, std::function<void()> also) {
    p.setChildProcessModifier([also = std::move(also)] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (also) also();
    });
}

SimProcess::~SimProcess() {
    if (isRunning()) stop(2000);
}

bool SimProcess::start(const QStringList& args, int timeoutMs) {
    proc_.setProgram(simulatorBinary());
    proc_.setArguments(args);
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    ownGroup(proc_);
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

} // namespace tav::test
