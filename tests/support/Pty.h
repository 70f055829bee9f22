#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tav::test {

// The built simulator: $TAVOEM_SIM_BIN (set by CTest), else "tavoem-sim" beside the test.
QString simulatorBinary();

// tavoem-sim as a child process.
//
//   SimProcess sim;
//   QVERIFY(sim.start({"--no-noise", "--baud", "9600"}));
//   port.open(sim.devicePath(), ...);
//   QCOMPARE(sim.command("unplug"), "unplugged");
//   const QString newPath = sim.command("replug");
//
// The destructor stops the simulator (SIGTERM, then kill).
class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator with these options and waits for the device path it prints first.
    bool start(const QStringList& args = {}, int timeoutMs = 15000);
    QString devicePath() const { return path_; }

    // Sends one standard-input command ("unplug", "replug", "pin -20", "case 70", "status"...)
    // and returns the next line the simulator prints ("ok", "unplugged", the new device path
    // after "replug", ...); empty on time-out. A replug also updates devicePath().
    QString command(const QString& line, int timeoutMs = 10000);
    // The next line printed on standard output (without its newline); empty on time-out.
    QString readLine(int timeoutMs = 10000);
    // Ends standard input (for --exit-on-eof).
    void closeStdin() { proc_.closeWriteChannel(); }

    // SIGTERM and wait; true when it exited by itself with status 0.
    bool stop(int timeoutMs = 10000);
    bool isRunning() const { return proc_.state() != QProcess::NotRunning; }
    QString errorOutput(); // what it printed on standard error so far
    QProcess& process() { return proc_; }

private:
    QProcess proc_;
    QString path_;
    QByteArray stderr_;
};

// Client side on a device path, with plain POSIX calls.
// Opens the device non-blocking and raw at the given rate; -1 on failure.
int openRawDevice(const QString& path, qint32 baud);
// Writes command + CR and reads until a carriage return arrives or timeoutMs passes;
// returns what arrived (empty: no answer).
QByteArray exchangeRaw(int fd, const QByteArray& command, int timeoutMs = 1000);
// Reads until a carriage return arrives or timeoutMs passes; returns what arrived.
QByteArray readAnswer(int fd, int timeoutMs = 1000);
// Everything that arrives within ms (stops early on end of file or error).
QByteArray readFor(int fd, int ms);
void closeDevice(int fd);

// A bare raw pseudo-terminal pair, for tests that play the board side themselves:
// the program under test opens slavePath(); the test reads and writes master().
class PtyPair {
public:
    PtyPair() = default;
    ~PtyPair() { close(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool open();
    void close();
    int master() const { return master_; }
    QString slavePath() const { return slave_; }

private:
    int master_ = -1;
    QString slave_;
};

} // namespace tav::test
