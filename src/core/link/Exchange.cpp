#include "core/link/Exchange.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/poll/Poll.h"
#include "core/link/PortAdvice.h"
#include "core/link/SerialPort.h"
#include "core/settings/Ini.h"
#include "core/text/Cp1252.h"
#include "core/text/Numbers.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <utility>

namespace tav {

namespace {

const QString kRs232 = QStringLiteral("RS232");

// Settings read as numbers, clamped to what a sleep takes.
int settingMs(const QString& file, const QString& key) {
    const qint64 v = leadingInteger(LireIni(file, kRs232, key));
    return static_cast<int>(std::clamp<qint64>(v, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

// Lets pending window messages run. A handler or poll tick that runs there starts its own
// exchanges, which must not inherit the caller's raw-answer or slow-pacing flags.
void letEventsRun(AppState& s) {
    if (!s.processEvents)
        return;
    const bool raw = s.ReponseBrute;
    const bool slow = s.PauseLongue;
    const AppState::Unprintable unprintable = s.unprintableAnswers;
    s.ReponseBrute = false;
    s.PauseLongue = false;
    s.unprintableAnswers = AppState::Unprintable::Discard;
    s.processEvents();
    s.ReponseBrute = raw;
    s.PauseLongue = slow;
    s.unprintableAnswers = unprintable;
}

void logFlow(AppState& s, FlowLog::List list, const QString& text) {
    if (s.FluxActif)
        s.flow.append(list, text);
}

// Line feeds (and, before a command, carriage returns) that come first end an earlier line:
// they are dropped without a word.
void dropLineEnds(QByteArray& in, bool carriageReturnsToo) {
    qsizetype n = 0;
    while (n < in.size() && (in[n] == '\n' || (carriageReturnsToo && in[n] == '\r')))
        ++n;
    in.remove(0, n);
}

// Drops what followed the last answer line and, with waiting, what waits in the input without
// waiting for more; what is dropped is logged, but for the line ends that come first.
void discardWaiting(AppState& s, bool waiting = true) {
    QByteArray stale = std::exchange(s.PortOEM.carriedInput, {});
    // Bounded: a device that never stops talking must not hold the exchange here.
    for (int i = 0; waiting && i < 64 && s.PortOEM.waitForInput(0); ++i)
        stale += s.PortOEM.readAll();
    dropLineEnds(stale, true);
    if (!stale.isEmpty())
        logFlow(s, FlowLog::Answers, QStringLiteral("DISCARDED ") + fromCp1252(stale));
}

void drainOwedLines(AppState& s);

// Sends a line; with discardFirst, answers owed to earlier lines and other input waiting are
// discarded just before the line goes out. False when the port could not be opened.
bool sendLine(AppState& s, const QString& line, int attempt, bool discardFirst) {
    if (!s.PortOEM.isOpen() && !OuvrirPort(s))
        return false;

    const QByteArray bytes = toCp1252(line);
    // Logged as the line leaves (before the pause after it), so its time stamp is the send time.
    const auto logSent = [&] {
        if (attempt == 0)
            logFlow(s, FlowLog::Sent, line);
    };
    const QString byChar =
        LireIni(s.langueIni(), QStringLiteral("ValueSupervision"), QStringLiteral("CheckChrByChr"));
    if (byChar.compare(QLatin1String("1"), Qt::CaseInsensitive) == 0) {
        const int gap = settingMs(s.generalIni(), QStringLiteral("TxtSleepTwoChars"));
        if (discardFirst)
            drainOwedLines(s);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            s.PortOEM.write(bytes.mid(i, 1));
            if (i == bytes.size() - 1)
                logSent();
            s.clock.sleep(gap);
        }
        if (bytes.isEmpty())
            logSent();
    } else {
        const int half = halfPause(linePauseMs(s));
        s.clock.sleep(half);
        if (discardFirst)
            drainOwedLines(s);
        s.PortOEM.write(bytes);
        logSent();
        s.clock.sleep(half);
    }
    return true;
}

// The input of one answer: bytes received and not yet taken, carried from one read to the next.
class AnswerInput {
public:
    explicit AnswerInput(SerialPort& port) : port_(port), in_(std::exchange(port.carriedInput, {})) {}
    // What follows the line taken stays for the next exchange.
    ~AnswerInput() { port_.carriedInput = std::move(in_); }

    QByteArray& bytes() { return in_; }
    // Waits up to ms for more input and appends it; false on silence or a lost device.
    bool receive(int ms) {
        if (!port_.waitForInput(ms))
            return false;
        in_ += port_.readAll();
        return true;
    }
    // Takes the first line: the text before the first CR, the CR itself dropped; all of it when
    // no CR has come.
    QByteArray takeLine() {
        const qsizetype cr = in_.indexOf('\r');
        const QByteArray line = cr < 0 ? in_ : in_.left(cr);
        in_.remove(0, cr < 0 ? in_.size() : cr + 1);
        return line;
    }
    void clear() { in_.clear(); }

private:
    SerialPort& port_;
    QByteArray in_;
};

// Before a command's first line: waits for the answers owed to earlier lines, one whole line
// each, at most 2 x TempsTimeout from the start of the wait or the last byte received, and
// discards them; then drops whatever else waits.
void drainOwedLines(AppState& s) {
    SerialPort& port = s.PortOEM;
    int owed = std::exchange(port.owedLines, 0);
    if (owed > 0) {
        AnswerInput input(port);
        QByteArray& in = input.bytes();
        const qint64 window = 2 * qMax<qint64>(0, s.TempsTimeout);
        qint64 last = s.clock.now();
        while (owed > 0) {
            dropLineEnds(in, false);
            if (in.contains('\r')) {
                const QByteArray line = input.takeLine();
                if (!line.isEmpty())
                    logFlow(s, FlowLog::Answers,
                            QStringLiteral("DISCARDED ") + fromCp1252(line) + u'\r');
                --owed;
                continue;
            }
            const qint64 remaining = last + window - s.clock.now();
            if (remaining <= 0 || !input.receive(static_cast<int>(remaining)))
                break;
            last = s.clock.now();
        }
    }
    discardWaiting(s);
}

bool isPrintable(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<uchar>(c) >= 0x20 && static_cast<uchar>(c) <= 0x7e;
    });
}

QString escapedUnprintable(const QByteArray& text) {
    QString r;
    for (const char c : text) {
        const auto u = static_cast<uchar>(c);
        if (u >= 0x20 && u <= 0x7e)
            r += QLatin1Char(c);
        else
            r += QStringLiteral("<0x%1>").arg(QString::number(u, 16).toUpper().rightJustified(2, u'0'));
    }
    return r;
}

// What an answer line is to the command that waits for it.
enum class Verdict {
    Taken,     // the command's answer
    Garbled,   // its answer, but unreadable: no answer for this attempt
    NotOurs,   // another line's answer
};

Verdict judge(const AppState& s, const QByteArray& line, const QString& command, QString* text) {
    if (!isPrintable(line)) {
        switch (s.unprintableAnswers) {
        case AppState::Unprintable::Discard:
            *text = fromCp1252(line);
            return Verdict::Garbled;
        case AppState::Unprintable::Escape:
            *text = escapedUnprintable(line);
            return Verdict::Taken;
        case AppState::Unprintable::Keep:
            *text = fromCp1252(line);
            return Verdict::Taken;
        }
    }
    *text = fromCp1252(line);
    if (isOtherCommandsAnswer(*text, command))
        return Verdict::NotOurs;
    // A read is never acknowledged: a lone "!" belongs to an earlier write.
    static const QRegularExpression read(QStringLiteral("^[A-Z0-9]{3}\\?"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (*text == QLatin1String("!") && read.match(command).hasMatch())
        return Verdict::NotOurs;
    return Verdict::Taken;
}

// LireReponse; with a command given, answers are judged: unreadable ones and answers to other
// lines are discarded and the wait goes on until the time-out. *taken counts the lines read that
// answered this command's lines (the answer, an empty line, an unreadable one).
QString readAnswer(AppState& s, const QString& command, int* taken = nullptr) {
    SerialPort& port = s.PortOEM;
    if (!port.isOpen())
        return {};
    const qint64 deadline = s.clock.now() + s.TempsTimeout;
    AnswerInput input(port);
    QByteArray& in = input.bytes();
    const auto take = [&] {
        if (taken)
            ++*taken;
    };
    for (;;) {
        // Wait for the first character in the port's own blocking wait; line feeds that come
        // first end an earlier line.
        dropLineEnds(in, false);
        while (in.isEmpty()) {
            const qint64 remaining = qMax<qint64>(0, deadline - s.clock.now());
            if (input.receive(static_cast<int>(remaining))) {
                dropLineEnds(in, false);
                continue;
            }
            if (!port.isOpen())
                return {}; // device lost while waiting
            if (s.clock.now() >= deadline) {
                logFlow(s, FlowLog::Answers, QStringLiteral("TIMEOUT"));
                return {};
            }
        }

        // Characters already received are taken at once. The answer ends at its carriage
        // return, or when the input stays silent for kSilenceMs without one. An answer still
        // arriving TempsTimeout after its first character is no answer.
        const qint64 first = s.clock.now();
        while (!in.contains('\r')) {
            if (!input.receive(kSilenceMs)) {
                // Device lost: a partial line is no answer.
                if (!port.isOpen()) {
                    input.clear();
                    return {};
                }
                break;
            }
            if (s.clock.now() > first + s.TempsTimeout) {
                logFlow(s, FlowLog::Answers, QStringLiteral("TIMEOUT ") + fromCp1252(in));
                input.clear();
                take();
                return {};
            }
        }

        const bool ended = in.contains('\r');
        QString answer;
        const Verdict verdict = judge(s, input.takeLine(), command, &answer);
        const QString logged = ended ? answer + u'\r' : answer;
        if (verdict != Verdict::Taken) {
            // Not an answer to this line; what came after it may be.
            logFlow(s, FlowLog::Answers, QStringLiteral("DISCARDED ") + logged);
            if (verdict == Verdict::Garbled)
                take();
            if (in.isEmpty() && !port.isOpen())
                return {};
            continue;
        }
        take();
        if (!ended)
            return answer;
        if (s.FluxActif) {
            s.flow.append(FlowLog::Answers, logged);
            letEventsRun(s);
        }
        return answer;
    }
}

} // namespace

QString serialLinkCaption(const AppState& s) {
    const QString t = LireIni(s.langueIni(), QStringLiteral("frmConfigRS232") + s.LangueCourante,
                              QStringLiteral("titre"));
    return t.isEmpty() ? QStringLiteral("Serial Link") : t;
}

int linePauseMs(const AppState& s) {
    if (s.PauseLongue)
        return settingMs(s.generalIni(), QStringLiteral("TempsPause"));
    const int pause = settingMs(s.generalIni(), QStringLiteral("TempsPause2"));
    return pause == 0 ? 100 : pause;
}

int halfPause(int pauseMs) {
    return static_cast<int>(roundHalfEven(pauseMs / 2.0));
}

PortOpening ouvrirPortSansMessage(AppState& s) {
    PortOpening o;
    if (s.PortOEM.isOpen())
        return o;
    const QString ini = s.generalIni();
    o.port = s.portOverride.isEmpty() ? LireIni(ini, kRs232, QStringLiteral("PORT"))
                                      : s.portOverride;
    const QString baud = s.baudOverride > 0 ? QString::number(s.baudOverride)
                                            : LireIni(ini, kRs232, QStringLiteral("BAUD"));
    o.settingsText = baud + u',' +
                     LireIni(ini, kRs232, QStringLiteral("PARITE")).left(1) + u',' +
                     LireIni(ini, kRs232, QStringLiteral("DATA")) + u',' +
                     LireIni(ini, kRs232, QStringLiteral("STOP"));
    bool ok = false;
    const LineSettings settings = LineSettings::parse(o.settingsText, &ok);
    if (!ok) {
        o.result = PortOpening::BadSettings;
        return o;
    }
    if (!s.PortOEM.open(o.port, settings, &o.error)) {
        o.result = PortOpening::Failed;
        return o;
    }
    s.PortOEM.exchangeSettings = settings;
    // A new opening starts a new conversation (the baud scan opens at another rate each time).
    s.PortOEM.carriedInput.clear();
    s.PortOEM.owedLines = 0;
    // A failure reported earlier may be reported again.
    s.portFailureShown.clear();
    s.actionSignalee = ~quint64(0);
    return o;
}

QString portFailureText(const PortOpening& o) {
    QString nom = QStringLiteral("\"%1\"").arg(o.port);
    const QString device = deviceForPortName(o.port);
    if (device != o.port)
        nom += QStringLiteral(" (%1)").arg(device);
    if (o.result == PortOpening::BadSettings)
        return QStringLiteral("The line settings \"%1\" of the serial port %2 are not valid. "
                              "Correct them in Parameters > Serial Link.")
            .arg(o.settingsText, nom);
    const QString raison = o.error.isEmpty() ? QStringLiteral("unknown error") : o.error;
    const QString text = QStringLiteral("The serial port %1 cannot be opened: %2")
                             .arg(nom, raison.endsWith(u'.') ? raison : raison + u'.');
    // A busy or forbidden device comes with its own advice.
    if (isPortRefusalText(raison))
        return text;
    return text + QStringLiteral("\nCheck that the device exists, that the serial adapter and its "
                                 "cable are connected, and that Parameters > Serial Link names "
                                 "the right port.");
}

bool OuvrirPort(AppState& s) {
    const PortOpening o = ouvrirPortSansMessage(s);
    if (o.result == PortOpening::Opened)
        return true;

    const QString error = portFailureText(o);
    // One box per operator action, however many exchanges the action makes; and a poll tick
    // after a pulled cable would show the same box at every period: within ticks, a failure
    // already reported is not shown again until the port has opened once.
    const QString failure = o.port + u'\n' + error;
    const bool inTick = s.Timer && s.Timer->tickRunning();
    const bool reported = s.actionSignalee == s.actionOperateur ||
                          (inTick && failure == s.portFailureShown);
    if (!reported) {
        if (s.avantEchecPort)
            s.avantEchecPort();
        s.prompts.message(error, serialLinkCaption(s), PromptIcon::Critical);
        s.actionSignalee = s.actionOperateur;
    }
    s.portFailureShown = failure;
    return false;
}

bool FermerPort(AppState& s) {
    if (s.PortOEM.isOpen())
        s.PortOEM.close();
    return true;
}

void EcrireCommande(AppState& s, const QString& line, int attempt) {
    sendLine(s, line, attempt, false);
}

QString LireReponse(AppState& s) {
    return readAnswer(s, QString());
}

bool isOtherCommandsAnswer(const QString& answer, const QString& command) {
    static const QRegularExpression answerStart(QStringLiteral("^([A-Z0-9]{3})[=!#]"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression commandStart(QStringLiteral("^([A-Z0-9]{3})(?:[?=]|$)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch a = answerStart.match(answer);
    if (!a.hasMatch())
        return false;
    const QRegularExpressionMatch c = commandStart.match(command);
    return c.hasMatch() && a.captured(1).compare(c.captured(1), Qt::CaseInsensitive) != 0;
}

QString EnvoyerCommande(AppState& s, const QString& command) {
    const bool raw = s.ReponseBrute;
    const QString line = command + u'\r';
    // A text holding carriage returns goes out as several lines, each owed an answer.
    const int linesPerAttempt = static_cast<int>(line.count(u'\r'));
    int sent = 0;
    int taken = 0;
    QString answer;
    // A negative repeat count still sends the command once.
    const int attempts = qMax<int>(0, s.NbRepetitions) + 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // The tail of a late answer must not pass for this command's answer; the attempts of
        // one command keep what arrives between them (a late answer to the same command), but
        // not what came behind an empty answer line.
        if (attempt > 0)
            discardWaiting(s, false);
        if (sendLine(s, line, attempt, attempt == 0))
            sent += linesPerAttempt;
        answer = readAnswer(s, command, &taken);
        if (!answer.isEmpty())
            break;
        // The port could not be opened or its device went away: nothing more can be sent
        // now, and another attempt would only repeat the opening error.
        if (!s.PortOEM.isOpen())
            break;
    }
    // The answers not taken are still on their way: the next exchange waits for them.
    s.PortOEM.owedLines = s.PortOEM.isOpen() ? qMax(0, sent - taken) : 0;
    if (answer.isEmpty() || raw)
        return answer;

    qsizetype i = answer.indexOf(u'=');
    if (i >= 0)
        answer = answer.mid(i + 1);
    i = answer.indexOf(u'+');
    if (i >= 0)
        answer = answer.mid(i + 1);
    return answer;
}

void drainOwedAnswers(AppState& s) {
    if (s.PortOEM.isOpen() && s.PortOEM.owedLines > 0)
        drainOwedLines(s);
}

void ViderReception(AppState& s) {
    SerialPort& port = s.PortOEM;
    port.carriedInput.clear();
    while (port.isOpen() && port.waitForInput(0)) {
        port.readAll();
        letEventsRun(s);
    }
}

} // namespace tav
