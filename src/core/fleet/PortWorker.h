#pragma once

#include "core/fleet/BoardState.h"
#include "core/supervision/Recorder.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

namespace tav {

struct AppState;
class RecordFile;

struct WorkerSettings {
    QString programDir;     // settings of the exchange (General.ini, langue.ini)
    QString port;           // device of this worker
    qint32 baudOverride = 0;    // 0: the stored rate
    qint16 timeoutOverride = 0; // 0: the stored time-out
    int periodS = 5;
    int firstRowDelayMs = 0; // spreads the rows of many ports over the period
    QString recordDir; // empty: no record files
    RecordFormat recordFormat = RecordFormat::Tabs;
    // A line for the operator (a record file that cannot be written); called on the worker's
    // thread.
    std::function<void(const QString&)> note;
};

// One port polled on its own thread with its own exchange state: "SNU?" and "VER?" when the
// board first answers and after every loss, then every period the supervision reads and the
// warning word. A row without any answer marks the board down until it answers "SNU?" again.
class PortWorker {
public:
    explicit PortWorker(WorkerSettings settings);
    ~PortWorker(); // stops and waits for the thread
    PortWorker(const PortWorker&) = delete;
    PortWorker& operator=(const PortWorker&) = delete;

    void start();
    // Asks the thread to stop; it ends within one exchange (files and port closed).
    void requestStop();
    void wait();
    BoardState snapshot() const;

private:
    void run();
    bool identify(AppState& s); // true when the board answered
    void takeRow(AppState& s);

    WorkerSettings settings_;
    mutable std::mutex mutex_;
    BoardState state_;
    std::atomic<bool> stop_{false};
    std::mutex stopMutex_;
    std::condition_variable stopAsked_; // wakes the wait between rows
    bool lost_ = false; // lost once since the first answer: the next answer is a reconnection
    QString told_;      // why the port could not be opened or identified, as last said
    QString paused_;    // serial number of a record that could not be written, tried each row
    void startRecord(AppState& s, const QString& serial, bool resuming);
    void pauseRecord(const RecordFile& file);
    struct Record;
    std::unique_ptr<Record> record_;
    QThread* thread_ = nullptr;
};

// Ports of a --ports-from file: one device a line; blank lines and text after "#" ignored; a
// relative path is taken from `folder` (the file's own).
QStringList portsFromText(const QString& text, const QString& folder = {});

// Longest time a present but silent board takes to be marked down: a row of `reads` reads, each
// sent 1 + repeats times with its pause and time-out, plus one horizon of the answers owed.
qint64 silentRowMs(const AppState& s, int reads);

} // namespace tav
