#include "core/fleet/PortWorker.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/control/MeasurementLog.h"
#include "core/link/Exchange.h"
#include "core/link/QtSerialPort.h"
#include "core/settings/ExchangeSettings.h"
#include "core/settings/Ini.h"
#include "core/supervision/Recorder.h"
#include "core/translation/Texts.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QThread>

#include <utility>

namespace tav {

namespace {

// A worker has no one to ask: messages are dropped (the state tells what happened), questions
// answered No.
class SilentPrompts final : public Prompts {
public:
    void message(const QString&, const QString&, PromptIcon) override {}
    bool askYesNo(const QString&, const QString&, PromptIcon) override { return false; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
};

} // namespace

// The record file of the board now on the port (a new one when another serial number answers).
struct PortWorker::Record {
    explicit Record(AppState& s) : recorder(s) {}
    SupervisionRecorder recorder;
    QString serial;
};

PortWorker::PortWorker(WorkerSettings settings) : settings_(std::move(settings)) {
    state_.port = settings_.port;
}

PortWorker::~PortWorker() {
    requestStop();
    wait();
}

void PortWorker::start() {
    // A QThread (not a bare std::thread): the serial port needs the thread's event dispatcher.
    thread_ = QThread::create([this] { run(); });
    thread_->start();
}

void PortWorker::requestStop() {
    {
        std::lock_guard lock(stopMutex_);
        stop_ = true;
    }
    stopAsked_.notify_all();
}

void PortWorker::wait() {
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
}

BoardState PortWorker::snapshot() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void PortWorker::run() {
    SystemClock clock;
    QtSerialPort port;
    port.setWholeAnswers(true); // dozens of ports on one station
    SilentPrompts prompts;
    AppState s(settings_.programDir, port, clock, prompts);
    s.processEvents = nullptr;
    s.lateAnswer = [this](qint64) {
        std::lock_guard lock(mutex_);
        ++state_.lateAnswers;
    };
    ChargerReglagesEchange(s);
    holdLineSending(s); // read at start, as the time-out and repeats
    ChargerLangueCourante(s); // captions of the record's header
    s.portOverride = settings_.port;
    s.baudOverride = settings_.baudOverride;
    if (settings_.timeoutOverride > 0)
        s.TempsTimeout = settings_.timeoutOverride;
    qint64 next = clock.now() + settings_.firstRowDelayMs;
    while (!stop_) {
        const qint64 now = clock.now();
        if (now < next) {
            // One wake-up a row, not one every few milliseconds: a rack has dozens of these.
            std::unique_lock lock(stopMutex_);
            stopAsked_.wait_for(lock, std::chrono::milliseconds(next - now),
                                [this] { return stop_.load(); });
            continue;
        }
        next = now + qint64(settings_.periodS) * 1000;
        bool identified;
        {
            std::lock_guard lock(mutex_);
            identified = state_.identified;
        }
        if (!identified)
            identified = identify(s);
        if (identified && !stop_)
            takeRow(s);
    }
    if (record_)
        record_->recorder.finish();
    record_.reset();
    FermerPort(s);
}

bool PortWorker::identify(AppState& s) {
    // Why the board cannot be identified is said once, and again when the reason changes.
    QString why;
    if (!s.PortOEM.isOpen())
        if (const PortOpening o = ouvrirPortSansMessage(s); o.result != PortOpening::Opened)
            why = portFailureText(o).replace(u'\n', u' ');
    const QString serial = why.isEmpty() ? EnvoyerCommande(s, QStringLiteral("SNU?")) : QString();
    if (why.isEmpty() && serial.isEmpty())
        why = QStringLiteral("no answer to \"SNU?\"; check that the board is powered and on this "
                             "port, and its line rate (tavoemctl detect-baud)");
    if (why != std::exchange(told_, why) && !why.isEmpty() && settings_.note)
        settings_.note(QStringLiteral("%1: %2").arg(settings_.port, why));
    const QString version = serial.isEmpty() ? QString() : EnvoyerCommande(s, QStringLiteral("VER?"));
    {
        std::lock_guard lock(mutex_);
        state_.exchanges += serial.isEmpty() ? 1 : 2;
        state_.timeouts += serial.isEmpty() || version.isEmpty() ? 1 : 0;
        if (serial.isEmpty()) {
            state_.up = false;
            return false;
        }
        state_.serial = serial;
        state_.version = version;
        state_.identified = true;
        if (lost_)
            ++state_.reconnections;
    }
    if (settings_.recordDir.isEmpty() || (record_ && record_->serial == serial))
        return true;
    if (record_)
        record_->recorder.finish();
    record_.reset();
    startRecord(s, serial, false);
    return true;
}

void PortWorker::startRecord(AppState& s, const QString& serial, bool resuming) {
    record_ = std::make_unique<Record>(s);
    record_->serial = serial;
    QString extension = settings_.recordFormat == RecordFormat::Tabs
                            ? LireIni(s.generalIni(), kSupervisionSection,
                                      QStringLiteral("TxtExtension"))
                            : QStringLiteral(".csv");
    if (extension.isEmpty())
        extension = kDefaultRecordExtension;
    RecordFile& file = record_->recorder.file();
    const RecorderSettings rs{settings_.periodS, 1, MissingAnswer::LeaveEmpty,
                              settings_.recordFormat};
    if (file.create(settings_.recordDir, recordBaseName(serial, QDateTime::currentDateTime()),
                    extension) &&
        record_->recorder.start(rs, recordHeader(s, settings_.recordFormat))) {
        if (resuming && settings_.note)
            settings_.note(QStringLiteral("%1: recording resumes in %2").arg(settings_.port, file.path()));
        paused_.clear();
        return;
    }
    if (!resuming)
        pauseRecord(file);
    record_.reset();
    paused_ = serial;
}

// Said once; the record is tried again at each row (a full disk may be cleared meanwhile).
void PortWorker::pauseRecord(const RecordFile& file) {
    if (settings_.note)
        settings_.note(QStringLiteral("%1: %2 %3; this board is not recorded until that is "
                                      "mended: tried again at each row")
                           .arg(settings_.port, file.error(), file.advice())
                           .simplified());
}

void PortWorker::takeRow(AppState& s) {
    const qint64 started = s.clock.now();
    QHash<QString, QString> answers;
    int unanswered = 0;
    const auto stop = [this] { return stop_.load(); };
    QStringList reads = monitorReads();
    if (!record_ && !paused_.isEmpty())
        startRecord(s, paused_, true);
    if (record_) {
        const QDateTime t = QDateTime::currentDateTime();
        SupervisionRecorder& r = record_->recorder;
        r.noteDate(logDateText(t));
        RowHooks hooks;
        hooks.store = [&](int column, const QString& a) {
            answers.insert(reads.value(column - kFirstMeasuredColumn), a);
            return true;
        };
        hooks.stop = stop;
        const RowOutcome out = r.takeRow(s.clock.now() / 1000, logTimeText(t), hooks, t);
        unanswered += int(out.unanswered.size());
        if (out.writeFailed) {
            pauseRecord(r.file());
            paused_ = record_->serial;
            r.finish();
            record_.reset();
        }
        reads = reads.mid(recordReads(settings_.recordFormat).size()); // the rest of the row
    }
    if (!stop()) {
        const RowReads r = MesurerLigne(
            s, reads, MissingAnswer::LeaveEmpty,
            [&](int i, const QString& a) {
                answers.insert(reads[i], a);
                return true;
            },
            stop, [](const QString&) { return true; });
        unanswered += int(r.unanswered.size());
    }
    if (stop_ && answers.isEmpty())
        return; // stopped, not lost
    std::lock_guard lock(mutex_);
    applyRow(state_, answers, unanswered, started, s.clock.now());
    if (!state_.up) {
        state_.identified = false;
        lost_ = true;
    }
}

QStringList portsFromText(const QString& text, const QString& folder) {
    QStringList ports;
    for (QString line : text.split(QRegularExpression(QStringLiteral("\r?\n|\r")))) {
        line = line.section(u'#', 0, 0).trimmed();
        if (!line.isEmpty())
            ports << (line.contains(u'/') ? QDir(folder).absoluteFilePath(line) : line);
    }
    return ports;
}

qint64 silentRowMs(const AppState& s, int reads) {
    // Each read waits out its attempts; the first reads may also wait, up to one horizon, for
    // the answers still owed to the lines sent when the board fell silent.
    const qint64 attempt = 2 * halfPause(linePauseMs(s)) + qMax<qint64>(0, s.TempsTimeout);
    return qint64(reads) * (qint64(qMax<qint16>(0, s.NbRepetitions)) + 1) * attempt +
           s.lineBook.horizonMs(attemptBudgetMs(s, 5)); // "IPW?" and its CR
}

} // namespace tav
