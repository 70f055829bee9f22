#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tav::test {

// The built simulator: $TAVOEM_SIM_BIN (set by CTest), else "tavoem-sim" beside the test.
QString simulatorBinary();

// tavoem-sim as a child process, stopped (SIGTERM, then kill) by the destructor.
class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator and waits for the device path it prints first.
    bool start(const QStringList& args = {}, int timeoutMs = 15000);
    QString devicePath() const { return path_; }
    // Sends one standard-input command ("unplug", "replug", "pin -20"...) and returns the next
    // line printed (empty on time-out); a replug also updates devicePath().
    QString command(const QString& line, int timeoutMs = 10000);
    QString readLine(int timeoutMs = 10000); // next standard-output line; empty on time-out
    void closeStdin() { proc_.closeWriteChannel(); }
    bool stop(int timeoutMs = 10000); // SIGTERM and wait; true when it exited with status 0
    bool isRunning() const { return proc_.state() != QProcess::NotRunning; }
    QString errorOutput(); // standard error so far
    QProcess& process() { return proc_; }

private:
    QProcess proc_;
    QString path_;
    QByteArray stderr_;
};

} // namespace tav::test
