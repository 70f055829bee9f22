#pragma once

#include "PtyDevice.h"
#include "model/BoardModel.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>

class QTimer;

namespace tav::sim {

struct SimOptions {
    qint32 baud = 19200;
    bool wrongBaudGarbage = false;
    bool realtime = false;
    double noAnswerRate = 0;
    double garbageRate = 0;
    int delayMs = 0;
    int splitAnswerMs = 0;
    QStringList unavailable;
    int dropAfter = 0;
    QString link;
    QString log;
    QString state;
    bool exitOnEof = false;
    bool noise = true;
    quint32 seed = 0; // 0: random
    double inputPower = -3.0;
    double caseTemperature = 25.0;
    QString serial;  // empty: the factory's, or the state file's
    QString version; // empty: the default
};

// tavoem-sim: the board model behind a pseudo-terminal, with the failure modes of the options
// and the operator commands read from standard input.
class SimServer : public QObject {
    Q_OBJECT
public:
    explicit SimServer(const SimOptions& options, QObject* parent = nullptr);
    ~SimServer() override;

    // Loads the state file, opens the terminal, makes the link and prints the device path.
    bool start(QString* error);
    // Removes the link and closes the terminal.
    void shutdown();

    // One line typed on standard input; end of standard input.
    void stdinLine(const QByteArray& line);
    void stdinEnded();

    BoardModel& board() { return board_; }

signals:
    void quitRequested();

private:
    struct Outgoing {
        qint64 due;
        QByteArray bytes;
        bool unplug = false;
    };

    void onReceived(const QByteArray& bytes);
    void handleCommand(const QByteArray& line);
    void schedule(const QByteArray& bytes, qint64 due, bool unplugAfter = false);
    void pump();
    bool plug(QString* error);
    void unplug(const char* why);
    bool makeLink(QString* error);
    void removeLink();
    void log(const char* tag, const QByteArray& text);
    void saveState();
    void say(const QByteArray& line);
    QByteArray status();
    QByteArray garbage(int length);
    bool chance(double rate);

    SimOptions opt_;
    BoardModel board_;
    PtyDevice pty_;
    QElapsedTimer clock_;
    QRandomGenerator rng_;
    QFile logFile_;
    QTimer* pumpTimer_ = nullptr;
    QList<Outgoing> outgoing_;
    qint64 lastDue_ = 0;
    QByteArray line_;
    bool discarding_ = false;
    int commands_ = 0;
    bool dropped_ = false;
    int savedWrites_ = 0;
    bool plugged_ = false;
    bool stdinOpen_ = true;
};

} // namespace tav::sim
