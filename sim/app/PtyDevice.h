#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace tav::sim {

// The master side of a raw pseudo-terminal: the serial adapter the simulated board sits behind.
//
// Clients open the slave path. While no client has it open the master reports a hang-up; the
// device then stops listening on the descriptor and polls it every few ms until a client
// appears, so it never spins. When a client goes away, whatever was still queued for it is
// dropped so that the next client starts clean.
class PtyDevice : public QObject {
    Q_OBJECT
public:
    explicit PtyDevice(QObject* parent = nullptr);
    ~PtyDevice() override;

    // Opens a new terminal in raw mode at the given rate. False with error text on failure.
    bool create(qint32 baud, QString* error);
    void close();
    bool isOpen() const { return master_ >= 0; }
    QString path() const { return path_; }

    // The rate the client last set on the terminal (0 when unknown).
    qint32 clientBaud() const;

    // Queues bytes for the client. Dropped while no client is connected. With a pace (bytes per
    // second, 0: none) characters leave at that rate.
    void send(const QByteArray& bytes);
    void setPace(double bytesPerSecond) { pace_ = bytesPerSecond; }
    qint64 queued() const { return out_.size(); }
    // The queue is capped; a client that never reads loses what does not fit.
    static constexpr qint64 kMaxQueue = 1 << 20;

signals:
    void received(const QByteArray& bytes);
    void clientGone();

private:
    void onReadable();
    void onWritable();
    void pollForClient();
    void hangUp();
    void flushOut();

    int master_ = -1;
    QString path_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QTimer* clientPoll_ = nullptr;
    QTimer* paceTimer_ = nullptr;
    QByteArray out_;
    double pace_ = 0;
    double budget_ = 0;
    QElapsedTimer paceClock_;
    bool hungUp_ = false;
};

// The rate set on a terminal, in bits per second (0 when unknown).
qint32 terminalBaud(int fd);
// Sets any rate, also one without a Bnnn constant.
bool setTerminalBaud(int fd, qint32 baud);
// Termios speed constant <-> bits per second.
qint32 baudFromSpeed(unsigned speed);
unsigned speedFromBaud(qint32 baud); // 0 when the rate has no constant

} // namespace tav::sim
