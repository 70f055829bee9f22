#include "core/link/Exchange.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/poll/Poll.h"
#include "core/link/SerialPort.h"
#include "core/settings/Ini.h"
#include "core/text/Cp1252.h"
#include "core/text/Numbers.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

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
    s.ReponseBrute = false;
    s.PauseLongue = false;
    s.processEvents();
    s.ReponseBrute = raw;
    s.PauseLongue = slow;
}

void logFlow(AppState& s, FlowLog::List list, const QString& text) {
    if (s.FluxActif)
        s.flow.append(list, text);
}

// Drops what waits in the input without waiting for more; what is dropped is logged.
void discardWaiting(AppState& s) {
    QByteArray stale;
    // Bounded: a device that never stops talking must not hold the exchange here.
    for (int i = 0; i < 64 && s.PortOEM.waitForInput(0); ++i)
        stale += s.PortOEM.readAll();
    if (!stale.isEmpty())
        logFlow(s, FlowLog::Answers, QStringLiteral("DISCARDED ") + fromCp1252(stale));
}

// Sends a line; with discardFirst, the input is emptied just before the line goes out.
void sendLine(AppState& s, const QString& line, int attempt, bool discardFirst) {
    if (!s.PortOEM.isOpen() && !OuvrirPort(s))
        return;

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
            discardWaiting(s);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            s.PortOEM.write(bytes.mid(i, 1));
            if (i == bytes.size() - 1)
                logSent();
            s.clock.sleep(gap);
        }
        if (bytes.isEmpty())
            logSent();
    } else {
        int pause = settingMs(s.generalIni(), QStringLiteral("TempsPause2"));
        if (pause == 0)
            pause = 100;
        if (s.PauseLongue)
            pause = settingMs(s.generalIni(), QStringLiteral("TempsPause"));
        const int half = halfPause(pause);
        s.clock.sleep(half);
        if (discardFirst)
            discardWaiting(s);
        s.PortOEM.write(bytes);
        logSent();
        s.clock.sleep(half);
    }
}

// LireReponse; with a command given, answers to other commands are discarded and the wait goes
// on until the time-out.
QString readAnswer(AppState& s, const QString& command) {
    SerialPort& port = s.PortOEM;
    if (!port.isOpen())
        return {};
    const qint64 endUs = answerEndUs(port.exchangeSettings);
    const qint64 deadline = s.clock.now() + s.TempsTimeout;
    QByteArray raw; // what followed a discarded answer in the same burst
    for (;;) {
        // Wait for the first character in the port's own blocking wait.
        while (raw.isEmpty()) {
            const qint64 remaining = qMax<qint64>(0, deadline - s.clock.now());
            if (port.waitForInput(static_cast<int>(remaining))) {
                raw = port.readAll();
                continue;
            }
            if (!port.isOpen())
                return {}; // device lost while waiting
            if (s.clock.now() >= deadline) {
                logFlow(s, FlowLog::Answers, QStringLiteral("TIMEOUT"));
                return {};
            }
        }

        // Characters already received are taken at once. The answer ends when the input stays
        // silent: briefly once its carriage return has come, kSilenceMs before. An answer still
        // arriving TempsTimeout after its first character is no answer.
        const qint64 first = s.clock.now();
        for (;;) {
            const bool ended = raw.contains('\r');
            if (!(ended ? port.waitForInputUs(endUs) : port.waitForInput(kSilenceMs))) {
                // Device lost: a line it finished sending is still its answer; a partial one is
                // not.
                if (!port.isOpen() && !raw.contains('\r'))
                    return {};
                break;
            }
            raw += port.readAll();
            if (s.clock.now() > first + s.TempsTimeout) {
                logFlow(s, FlowLog::Answers, QStringLiteral("TIMEOUT ") + fromCp1252(raw));
                return {};
            }
        }

        const qsizetype cr = raw.indexOf('\r');
        if (isOtherCommandsAnswer(fromCp1252(cr < 0 ? raw : raw.left(cr)), command)) {
            // Not ours: dropped with its line feed; what came after it may be ours.
            qsizetype next = cr < 0 ? raw.size() : cr + 1;
            if (next < raw.size() && raw[next] == '\n')
                ++next;
            logFlow(s, FlowLog::Answers, QStringLiteral("DISCARDED ") + fromCp1252(raw.left(next)));
            raw.remove(0, next);
            if (raw.isEmpty() && !port.isOpen())
                return {};
            continue;
        }
        const QString answer = fromCp1252(raw);
        if (cr < 0)
            return answer;
        if (s.FluxActif) {
            s.flow.append(FlowLog::Answers, answer);
            letEventsRun(s);
        }
        return answer.left(cr);
    }
}

} // namespace

QString serialLinkCaption(const AppState& s) {
    const QString t = LireIni(s.langueIni(), QStringLiteral("frmConfigRS232") + s.LangueCourante,
                              QStringLiteral("titre"));
    return t.isEmpty() ? QStringLiteral("Serial Link") : t;
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
    return QStringLiteral("The serial port %1 cannot be opened: %2\nCheck that the device exists, "
                          "that the serial adapter and its cable are connected, and that "
                          "Parameters > Serial Link names the right port.")
        .arg(nom, raison.endsWith(u'.') ? raison : raison + u'.');
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

qint64 answerEndUs(const LineSettings& line) {
    const qint64 baud = line.baud > 0 ? line.baud : 19200;
    const qint64 twoCharsUs = (2LL * line.bitsPerCharacter() * 1000000 + baud - 1) / baud;
    return std::max<qint64>(1000, twoCharsUs);
}

QString EnvoyerCommande(AppState& s, const QString& command) {
    const bool raw = s.ReponseBrute;
    const QString line = command + u'\r';
    QString answer;
    // A negative repeat count still sends the command once.
    const int attempts = qMax<int>(0, s.NbRepetitions) + 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        // The tail of a late answer must not pass for this command's answer; the attempts of
        // one command keep what arrives between them (a late answer to the same command).
        sendLine(s, line, attempt, attempt == 0);
        answer = readAnswer(s, command);
        if (!answer.isEmpty())
            break;
        // The port could not be opened or its device went away: nothing more can be sent
        // now, and another attempt would only repeat the opening error.
        if (!s.PortOEM.isOpen())
            break;
    }
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

void ViderReception(AppState& s) {
    SerialPort& port = s.PortOEM;
    while (port.isOpen() && port.waitForInput(0)) {
        port.readAll();
        letEventsRun(s);
    }
}

} // namespace tav
