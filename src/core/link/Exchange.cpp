#include "core/link/Exchange.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/poll/Poll.h"
#include "core/link/PortAdvice.h"
#include "core/link/SerialPort.h"
#include "core/link/Wait.h"
#include "core/settings/Ini.h"
#include "core/text/Cp1252.h"
#include "core/text/Numbers.h"

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

bool sendsByCharacter(const AppState& s) {
    const QString byChar =
        LireIni(s.langueIni(), QStringLiteral("ValueSupervision"), QStringLiteral("CheckChrByChr"));
    return byChar.compare(QLatin1String("1"), Qt::CaseInsensitive) == 0;
}

// How a line goes out: by character with a gap between them, or whole between half pauses.
// Read once a command, or held (holdLineSending) while the long pause is not asked.
using Sending = AppState::LineSending;

Sending readSending(const AppState& s) {
    Sending o;
    o.byCharacter = sendsByCharacter(s);
    if (o.byCharacter)
        o.gapMs = settingMs(s.generalIni(), QStringLiteral("TxtSleepTwoChars"));
    else
        o.halfMs = halfPause(linePauseMs(s));
    return o;
}

Sending sendingOf(const AppState& s) {
    return s.heldSending && !s.PauseLongue ? *s.heldSending : readSending(s);
}

qint64 budgetMs(const AppState& s, const Sending& how, qsizetype bytes) {
    const qint64 timeout = qMax<qint64>(0, s.TempsTimeout);
    const qint64 sending = how.byCharacter ? bytes * qMax(0, how.gapMs) : 2 * qMax(0, how.halfMs);
    return (qMax<qint64>(0, s.NbRepetitions) + 1) * (sending + 2 * timeout);
}

// Sends a line. A command's lines are owed their answers (budgetMs: its whole attempt budget);
// before its first line goes out, the answers it could take for its own are awaited. False when
// the port could not be opened.
bool sendLine(AppState& s, const Sending& how, const QString& line, int attempt,
              const QString* command, qint64 budgetMs = 0) {
    if (!s.PortOEM.isOpen() && !OuvrirPort(s))
        return false;

    const QByteArray bytes = toCp1252(line);
    LineBook& book = s.lineBook;
    // Logged as the line leaves (before the pause after it), so its time stamp is the send time.
    const auto sendNow = [&](const QByteArray& part, bool last) {
        // What came before the line cannot answer it; the line is booked just before it goes
        // out, so that a lateness measured from it is never less than the board's.
        if (last && command) {
            book.takeWaiting(s);
            for (const QByteArray& l : bytes.chopped(bytes.endsWith('\r') ? 1 : 0).split('\r'))
                book.sent(s, l, budgetMs);
        }
        s.PortOEM.write(part);
        if (last && attempt == 0)
            logFlow(s, FlowLog::Sent, line);
    };
    if (how.byCharacter) {
        const int gap = how.gapMs;
        if (command && attempt == 0)
            book.beginCommand(s, *command);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            sendNow(bytes.mid(i, 1), i == bytes.size() - 1);
            pauseMs(s, gap);
        }
        if (bytes.isEmpty())
            sendNow({}, true);
    } else {
        const int half = how.halfMs;
        pauseMs(s, half);
        if (command && attempt == 0)
            book.beginCommand(s, *command);
        sendNow(bytes, true);
        pauseMs(s, half);
    }
    return true;
}

} // namespace

// Every attempt with its pauses (or its character-by-character sending) and both its time-outs:
// the wait for the first character and the line's own.
qint64 attemptBudgetMs(const AppState& s, qsizetype bytes) {
    return budgetMs(s, sendingOf(s), bytes);
}

void holdLineSending(AppState& s) {
    const bool slow = std::exchange(s.PauseLongue, false);
    s.heldSending = readSending(s);
    s.PauseLongue = slow;
}

namespace {

// One answer of the line book for the command under way. One ended by its carriage return is
// logged and lets pending events run, once the command is over so that they may start their own.
struct Answer {
    bool taken = false;
    bool ended = false;
    QString text;
};

Answer readAnswer(AppState& s) {
    Answer a;
    const std::optional<QByteArray> line = s.lineBook.readAnswer(s, &a.ended);
    a.taken = line.has_value();
    if (a.taken)
        a.text = fromCp1252(*line);
    return a;
}

void logTaken(AppState& s, const Answer& a) {
    if (!a.taken || !a.ended || !s.FluxActif)
        return;
    s.flow.append(FlowLog::Answers, a.text + u'\r');
    letEventsRun(s);
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
    s.lineBook.reset();
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
    s.lineBook.reset();
    return true;
}

void EcrireCommande(AppState& s, const QString& line, int attempt) {
    sendLine(s, sendingOf(s), line, attempt, nullptr);
}

QString LireReponse(AppState& s) {
    if (!s.PortOEM.isOpen())
        return {};
    s.lineBook.beginRead();
    const Answer a = readAnswer(s);
    s.lineBook.endCommand();
    logTaken(s, a);
    return a.text;
}

QString EnvoyerCommande(AppState& s, const QString& command) {
    const bool raw = s.ReponseBrute;
    const QString line = command + u'\r';
    const Sending how = sendingOf(s);
    const qint64 budget = budgetMs(s, how, toCp1252(line).size());
    Answer answer;
    // A negative repeat count still sends the command once.
    const int attempts = qMax<int>(0, s.NbRepetitions) + 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // The port could not be opened or its device went away: nothing more can be sent now,
        // and another attempt would only repeat the opening error.
        if (!sendLine(s, how, line, attempt, &command, budget))
            break;
        answer = readAnswer(s);
        if (!answer.text.isEmpty() || !s.PortOEM.isOpen())
            break;
    }
    // The answers not taken are still owed; a lost device owes nothing.
    s.lineBook.endCommand();
    if (!s.PortOEM.isOpen())
        s.lineBook.reset();
    logTaken(s, answer);
    QString value = answer.text;
    if (value.isEmpty() || raw)
        return value;

    qsizetype i = value.indexOf(u'=');
    if (i >= 0)
        value = value.mid(i + 1);
    i = value.indexOf(u'+');
    if (i >= 0)
        value = value.mid(i + 1);
    return value;
}

void drainOwedAnswers(AppState& s) {
    if (s.PortOEM.isOpen() && s.lineBook.owes())
        s.lineBook.drain(s);
}

void ViderReception(AppState& s) {
    SerialPort& port = s.PortOEM;
    s.lineBook.reset();
    // What waits now, not a device that never stops talking: one time-out at most.
    const qint64 until = s.clock.now() + qMax<qint64>(0, s.TempsTimeout);
    while (port.isOpen() && s.clock.now() <= until && port.waitForInput(0)) {
        port.readAll();
        letEventsRun(s);
    }
}

} // namespace tav
