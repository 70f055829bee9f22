#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

namespace tav::test {

// The built simulator: $TAVOEM_SIM_BIN (set by CTest), else "tavoem-sim" beside the test.
QString simulatorBinary();

// Before start(): `p`'s child leads its own process group (a signal meant for it reaches no one
// else) and gets SIGTERM when the test dies (a killed test leaves no child behind); `also` runs
// in the child after that.
void ownGroup(QProcess& p, std::function<void()> also = {});

// tavoem-sim as a child process in its own group, stopped (SIGTERM, then kill) by the destructor.
// Only QProcess signals it, and only while QProcess has not reaped it: the id is still its own.
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
    void closeStdin() { proc_.closeWriteChannel(); }
    bool stop(int timeoutMs = 10000); // SIGTERM and wait; true when it exited with status 0
    bool isRunning() const { return proc_.state() != QProcess::NotRunning; }
    QString errorOutput(); // standard error so far (the benchmarks show it)
    QProcess& process() { return proc_; }

private:
    QString readLine(int timeoutMs); // next standard-output line; empty on time-out
    QProcess proc_;
    QString path_;
    QByteArray stderr_;
};

} // namespace tav::test
