#include "SimServer.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tav::sim {

namespace {

QByteArray printable(const QByteArray& bytes) {
    QByteArray out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\r')
            out += "\\r";
        else if (u == '\n')
            out += "\\n";
        else if (u < 0x20 || u > 0x7e || u == '\\')
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

const char kStdinHelp[] = "commands: unplug | replug | pin DBM | case DEGC | supply VOLTS | "
                          "ext FRACTION | xxx MNE | avail MNE | status | help | quit";

} // namespace

SimServer::SimServer(const SimOptions& options, QObject* parent)
    : QObject(parent), opt_(options),
      rng_(options.seed ? options.seed : QRandomGenerator::global()->generate()) {
    clock_.start();
    board_.setNoiseEnabled(opt_.noise);
    board_.setSeed(rng_.generate());
    board_.setInputPower(opt_.inputPower);
    board_.setCaseTemperature(opt_.caseTemperature);
    for (const QString& m : opt_.unavailable)
        board_.setUnavailable(m.trimmed().toUpper().toLatin1());
    pty_.setPace(opt_.realtime ? opt_.baud / 10.0 : 0.0); // 10 bits per character
    connect(&pty_, &PtyDevice::received, this, &SimServer::onReceived);
    connect(&pty_, &PtyDevice::clientGone, this, [this] {
        line_.clear();
        discarding_ = false;
        log("--", "client closed the terminal");
    });
    pumpTimer_ = new QTimer(this);
    pumpTimer_->setSingleShot(true);
    connect(pumpTimer_, &QTimer::timeout, this, &SimServer::pump);
}

SimServer::~SimServer() {
    shutdown();
}

bool SimServer::start(QString* error) {
    if (!opt_.log.isEmpty()) {
        logFile_.setFileName(opt_.log);
        if (!logFile_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            *error =
                QStringLiteral("cannot write the log %1: %2").arg(opt_.log, logFile_.errorString());
            return false;
        }
    }
    if (!opt_.state.isEmpty() && QFileInfo::exists(opt_.state)) {
        QFile f(opt_.state);
        if (!f.open(QIODevice::ReadOnly) || !board_.loadEepromImage(f.readAll()))
            std::fprintf(stderr, "tavoem-sim: state file %s unreadable, factory parameters used\n",
                         qPrintable(opt_.state));
    }
    // The options win over the state file.
    if (!opt_.serial.isEmpty())
        board_.setSerialNumber(opt_.serial);
    if (!opt_.version.isEmpty())
        board_.setVersion(opt_.version);
    savedWrites_ = board_.eepromWrites();
    return plug(error);
}

bool SimServer::plug(QString* error) {
    if (plugged_) return true;
    if (!pty_.create(opt_.baud, error)) return false;
    if (!makeLink(error)) {
        pty_.close();
        return false;
    }
    plugged_ = true;
    line_.clear();
    discarding_ = false;
    log("--", "plugged " + pty_.path().toLocal8Bit());
    say(pty_.path().toLocal8Bit());
    return true;
}

void SimServer::unplug(const char* why) {
    if (!plugged_) return;
    removeLink();
    pty_.close();
    plugged_ = false;
    outgoing_.clear();
    pumpTimer_->stop();
    log("--", QByteArray("unplugged (") + why + ')');
    say("unplugged");
}

void SimServer::shutdown() {
    if (plugged_) {
        removeLink();
        pty_.close();
        plugged_ = false;
    }
    if (board_.eepromWrites() != savedWrites_) saveState();
    if (logFile_.isOpen()) {
        log("--", "exit");
        logFile_.close();
    }
}

bool SimServer::makeLink(QString* error) {
    if (opt_.link.isEmpty()) return true;
    const QByteArray link = QFile::encodeName(opt_.link);
    struct stat st {};
    if (::lstat(link.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        *error =
            QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(opt_.link);
        return false;
    }
    // A new link under a temporary name renamed over the old one: never a moment without it.
    const QByteArray tmp = link + ".tmp" + QByteArray::number(::getpid());
    ::unlink(tmp.constData());
    if (::symlink(QFile::encodeName(pty_.path()).constData(), tmp.constData()) != 0 ||
        ::rename(tmp.constData(), link.constData()) != 0) {
        *error = QStringLiteral("cannot make the link %1: %2")
                     .arg(opt_.link, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(tmp.constData());
        return false;
    }
    return true;
}

void SimServer::removeLink() {
    if (opt_.link.isEmpty()) return;
    // Only our own link: another simulator may have taken the name since.
    if (QFileInfo(opt_.link).isSymLink() && QFile::symLinkTarget(opt_.link) == pty_.path())
        QFile::remove(opt_.link);
}

void SimServer::onReceived(const QByteArray& bytes) {
    for (char c : bytes) {
        if (c != '\r') {
            if (line_.size() >= BoardModel::kMaxLine) {
                if (!discarding_)
                    log("--", "line over " + QByteArray::number(BoardModel::kMaxLine) +
                                  " characters dropped");
                discarding_ = true;
                line_.clear();
            }
            line_ += c;
            continue;
        }
        const QByteArray line = line_;
        const bool dropped = discarding_;
        line_.clear();
        discarding_ = false;
        if (!dropped) handleCommand(line);
        if (!plugged_) return;
    }
}

void SimServer::handleCommand(const QByteArray& line) {
    ++commands_;
    log("RX", line);
    const qint64 now = clock_.elapsed();
    board_.advanceTo(now);

    QByteArray answer;
    bool noise = false;
    const qint32 rate = pty_.clientBaud();
    if (rate != opt_.baud) {
        // At another rate the board only sees noise: silence, or noise back.
        log("--", "client at " + QByteArray::number(rate) + " baud, board at " +
                      QByteArray::number(opt_.baud));
        if (opt_.wrongBaudGarbage) {
            answer = garbage(std::max<int>(4, static_cast<int>(line.size())));
            noise = true;
        }
    } else if (chance(opt_.noAnswerRate)) {
        log("--", "no answer (failure mode)");
    } else {
        answer = board_.handleLine(line);
        if (!answer.isEmpty() && chance(opt_.garbageRate)) {
            answer = garbage(static_cast<int>(answer.size()));
            noise = true;
        }
    }
    if (board_.eepromWrites() != savedWrites_) saveState();

    qint64 due = std::max(now + opt_.delayMs, lastDue_);
    if (!answer.isEmpty()) {
        log("TX", answer);
        const QByteArray bytes = noise ? answer : answer + '\r';
        if (opt_.splitAnswerMs > 0 && bytes.size() > 1) {
            const int first = static_cast<int>(bytes.size() / 2);
            schedule(bytes.left(first), due);
            due += opt_.splitAnswerMs;
            schedule(bytes.mid(first), due);
        } else {
            schedule(bytes, due);
        }
    }
    if (opt_.dropAfter > 0 && commands_ == opt_.dropAfter && !dropped_) {
        dropped_ = true;
        schedule({}, due + 50, true);
    }
}

void SimServer::schedule(const QByteArray& bytes, qint64 due, bool unplugAfter) {
    outgoing_.push_back({due, bytes, unplugAfter});
    lastDue_ = due;
    pump();
}

void SimServer::pump() {
    const qint64 now = clock_.elapsed();
    while (!outgoing_.isEmpty() && outgoing_.first().due <= now) {
        if (outgoing_.first().unplug) {
            if (pty_.queued() > 0) { // still going out at the line's pace
                pumpTimer_->start(20);
                return;
            }
            outgoing_.removeFirst();
            unplug("dropped after " + QByteArray::number(opt_.dropAfter) + " commands");
            return;
        }
        pty_.send(outgoing_.takeFirst().bytes);
    }
    if (!outgoing_.isEmpty()) pumpTimer_->start(static_cast<int>(outgoing_.first().due - now));
}

QByteArray SimServer::garbage(int length) {
    QByteArray g;
    for (int i = 0; i < length; ++i)
        g += static_cast<char>(0x80 | rng_.bounded(0x80)); // never a carriage return
    return g;
}

bool SimServer::chance(double rate) {
    return rate > 0 && rng_.generateDouble() < rate;
}

void SimServer::saveState() {
    savedWrites_ = board_.eepromWrites();
    if (opt_.state.isEmpty()) return;
    QSaveFile f(opt_.state);
    if (!f.open(QIODevice::WriteOnly) || f.write(board_.eepromImage()) < 0 || !f.commit())
        std::fprintf(stderr, "tavoem-sim: cannot write the state file %s\n",
                     qPrintable(opt_.state));
}

void SimServer::log(const char* tag, const QByteArray& text) {
    if (!logFile_.isOpen()) return;
    const QByteArray stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")).toLatin1();
    logFile_.write(stamp + ' ' + tag + ' ' + printable(text) + '\n');
    logFile_.flush();
}

void SimServer::say(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QByteArray SimServer::status() {
    board_.advanceTo(clock_.elapsed());
    QByteArray s = plugged_ ? "device " + pty_.path().toLocal8Bit() : QByteArray("unplugged");
    s += "; client " + QByteArray::number(pty_.clientBaud()) + " baud, board " +
         QByteArray::number(opt_.baud);
    s += "; mode " + QByteArray::number(board_.mode()) + (board_.emitting() ? " ON" : " OFF");
    auto bits = [](quint8 b) {
        QByteArray t(8, '0');
        for (int i = 0; i < 8; ++i)
            if (b & (1u << i)) t[7 - i] = '1';
        return t;
    };
    s += "; ALA " + bits(board_.alarms()) + " WAR " + bits(board_.warnings());
    s += "; pin " + QByteArray::number(board_.inputPower(), 'f', 1) + " dBm, pout " +
         QByteArray::number(board_.outputPower(), 'f', 1) + " dBm, pump " +
         QByteArray::number(board_.pumpCurrent(), 'f', 0) + " mA, case " +
         QByteArray::number(board_.caseTemperature(), 'f', 1) + " C";
    s += "; commands " + QByteArray::number(commands_);
    return s;
}

void SimServer::stdinLine(const QByteArray& raw) {
    const QList<QByteArray> words = raw.simplified().split(' ');
    const QByteArray cmd = words.value(0).toLower();
    const QByteArray arg = words.value(1);
    bool ok = false;
    const double number = arg.toDouble(&ok);
    board_.advanceTo(clock_.elapsed());
    if (cmd.isEmpty()) return;
    if (cmd == "help") {
        say(kStdinHelp);
    } else if (cmd == "unplug") {
        if (plugged_)
            unplug("operator");
        else
            say("error: already unplugged");
    } else if (cmd == "replug") {
        QString error;
        if (plugged_)
            say("error: already plugged");
        else if (!plug(&error))
            say("error: " + error.toLocal8Bit());
    } else if (cmd == "pin" && ok) {
        board_.setInputPower(number);
        log("--", "input power " + arg + " dBm");
        say("ok");
    } else if (cmd == "case" && ok) {
        board_.setCaseTemperature(number);
        log("--", "case temperature " + arg + " C");
        say("ok");
    } else if (cmd == "supply" && ok) {
        board_.setSupplyVoltage(number);
        say("ok");
    } else if (cmd == "ext" && ok && number >= 0 && number <= 1) {
        board_.setExternalSetPoint(number);
        say("ok");
    } else if ((cmd == "xxx" || cmd == "avail") && !arg.isEmpty()) {
        board_.setUnavailable(arg.toUpper(), cmd == "xxx");
        say("ok");
    } else if (cmd == "status") {
        say(status());
    } else if (cmd == "quit" || cmd == "exit") {
        emit quitRequested();
    } else {
        say("error: " + printable(raw.trimmed()) + " not understood; " + kStdinHelp);
    }
}

void SimServer::stdinEnded() {
    stdinOpen_ = false;
    if (opt_.exitOnEof) emit quitRequested();
}

} // namespace tav::sim
