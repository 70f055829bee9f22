#include "core/fleet/BoardState.h"

#include "core/control/PanelRules.h"
#include "core/settings/Ini.h"
#include "core/supervision/Supervision.h"
#include "core/text/Numbers.h"
#include "core/translation/DefaultTexts.h"

#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tav {

const std::vector<ReadingMetric>& readingMetrics() {
    static const std::vector<ReadingMetric> m{
        {"IPW", "tav_input_power_dbm", "Input power in dBm.", 10},
        {"OPW", "tav_output_power_dbm", "Output power in dBm.", 10},
        {"PS2", "tav_output_power_phs2_dbm", "Output power on Phs2 in dBm.", 10},
        {"ID1", "tav_diode1_current_amperes", "Diode 1 current in amperes.", 1000},
        {"LDC", "tav_laser_diode_current_amperes", "Laser diode current in amperes.", 1000},
        {"LDT", "tav_laser_diode_temperature_celsius", "Laser diode temperature in degrees Celsius.", 1},
        {"CAT", "tav_case_temperature_celsius", "Case temperature in degrees Celsius.", 1}};
    return m;
}

QStringList monitorReads() {
    return supervisionMnemonics() + QStringList{QStringLiteral("WAR"), QStringLiteral("STS")};
}

bool isBitWord(const QString& answer) {
    return answer.size() >= 2 && answer.size() <= 8 &&
           std::ranges::all_of(answer, [](QChar c) { return c == u'0' || c == u'1'; });
}


void applyRow(BoardState& st, const QHash<QString, QString>& answers, int unanswered,
              qint64 startedMs, qint64 nowMs) {
    const auto& metrics = readingMetrics();
    st.values.assign(metrics.size(), std::nullopt);
    for (size_t i = 0; i < metrics.size(); ++i) {
        // Only a number is a value: "xxx" or a garbled answer is never shown as 0.
        const QString a = answers.value(QLatin1String(metrics[i].mnemonic));
        if (isNumericText(a))
            st.values[i] = leadingNumber(a) / metrics[i].divisor;
    }
    st.alarms = {};
    st.warnings = {};
    if (const QString a = answers.value(QStringLiteral("ALA")); isBitWord(a)) {
        const LampStates lamps = decodeAlarms(a);
        std::copy(lamps.begin(), lamps.end(), st.alarms.begin());
    }
    if (const QString w = answers.value(QStringLiteral("WAR")); isBitWord(w)) {
        const LampStates lamps = decodeWarnings(w);
        std::copy(lamps.begin(), lamps.begin() + kWarningBits, st.warnings.begin());
    }
    st.laserOn = laserState(answers.value(QStringLiteral("STS")));
    st.exchanges += quint64(answers.size() + unanswered);
    st.timeouts += quint64(unanswered);
    st.up = !answers.isEmpty();
    st.lastRowDurationMs = nowMs - startedMs;
    if (unanswered == 0 && !answers.isEmpty())
        st.lastCompleteRowMs = nowMs;
}

BitCaptions defaultBitCaptions() {
    // The default texts are written by one routine into a file: read them back from a scratch
    // copy, so that the program folder's language and edits play no part.
    BitCaptions c;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("langue.ini"));
    EcrireTextesDefaut(file);
    const QString section = QStringLiteral("FrmMenuPilotageEn");
    for (int bit = 1; bit <= kAlarmBits; ++bit)
        c.alarms << LireIni(file, section, QStringLiteral("grplabel_%1").arg(10 + bit));
    for (int bit = 0; bit < kWarningBits; ++bit)
        c.warnings << LireIni(file, section, QStringLiteral("grplabelWarning_%1").arg(bit));
    return c;
}

std::vector<SampleFamily> fleetSamples(const std::vector<BoardState>& boards,
                                       const BitCaptions& captions, qint64 nowMs) {
    using L = std::vector<std::pair<QString, QString>>;
    const QString port = QStringLiteral("port"), serial = QStringLiteral("serial");
    const auto& metrics = readingMetrics();
    std::vector<SampleFamily> f;
    for (const ReadingMetric& m : metrics)
        f.push_back({QLatin1String(m.name), QLatin1String(m.help), false, {}});
    const size_t alarm = f.size();
    f.push_back({QStringLiteral("tav_alarm"), QStringLiteral("Alarm bit set (1) or clear (0), "
                                                             "as the control panel shows it."),
                 false, {}});
    f.push_back({QStringLiteral("tav_warning"), QStringLiteral("Warning bit set (1) or clear (0), "
                                                               "as the control panel shows it."),
                 false, {}});
    f.push_back({QStringLiteral("tav_laser_on"),
                 QStringLiteral("Laser on (1) or off (0) as \"STS?\" answers, as the control "
                                "panel shows it."),
                 false, {}});
    f.push_back({QStringLiteral("tav_board_up"),
                 QStringLiteral("1 while the board answers, 0 after a row without any answer."),
                 false, {}});
    f.push_back({QStringLiteral("tav_board_info"),
                 QStringLiteral("Serial number and software version of the board."), false, {}});
    f.push_back({QStringLiteral("tav_last_row_age_seconds"),
                 QStringLiteral("Seconds since the last row in which every read was answered."),
                 false, {}});
    f.push_back({QStringLiteral("tav_last_row_duration_seconds"),
                 QStringLiteral("Seconds the last row's reads took."), false, {}});
    f.push_back({QStringLiteral("tav_exchanges_total"), QStringLiteral("Reads sent."), true, {}});
    f.push_back({QStringLiteral("tav_timeouts_total"),
                 QStringLiteral("Reads without answer after every attempt (or not sent: the "
                                "port was gone)."),
                 true, {}});
    f.push_back({QStringLiteral("tav_reconnections_total"),
                 QStringLiteral("Times the board answered again after it was lost."), true, {}});
    f.push_back({QStringLiteral("tav_late_answers_total"),
                 QStringLiteral("Answers that came later than the time-out (raise it above "
                                "the board's lateness)."),
                 true, {}});
    for (const BoardState& b : boards) {
        const L id{{port, b.port}, {serial, b.serial}};
        for (size_t i = 0; i < b.values.size() && i < metrics.size(); ++i)
            if (b.values[i])
                f[i].samples.push_back({id, *b.values[i]});
        for (int bit = 0; bit < kAlarmBits; ++bit)
            if (b.alarms[bit]) {
                L l = id;
                l.push_back({QStringLiteral("bit"), QString::number(bit + 1)});
                l.push_back({QStringLiteral("alarm"), captions.alarms.value(bit)});
                f[alarm].samples.push_back({l, *b.alarms[bit] ? 1.0 : 0.0});
            }
        for (int bit = 0; bit < kWarningBits; ++bit)
            if (b.warnings[bit]) {
                L l = id;
                l.push_back({QStringLiteral("bit"), QString::number(bit)});
                l.push_back({QStringLiteral("warning"), captions.warnings.value(bit)});
                f[alarm + 1].samples.push_back({l, *b.warnings[bit] ? 1.0 : 0.0});
            }
        if (b.laserOn)
            f[alarm + 2].samples.push_back({id, *b.laserOn ? 1.0 : 0.0});
        f[alarm + 3].samples.push_back({id, b.up ? 1.0 : 0.0});
        if (!b.serial.isEmpty() || !b.version.isEmpty())
            f[alarm + 4].samples.push_back(
                {{{port, b.port}, {serial, b.serial}, {QStringLiteral("version"), b.version}}, 1});
        if (b.lastCompleteRowMs)
            f[alarm + 5].samples.push_back({id, double(nowMs - *b.lastCompleteRowMs) / 1000.0});
        const L byPort{{port, b.port}};
        if (b.lastRowDurationMs)
            f[alarm + 6].samples.push_back({byPort, double(*b.lastRowDurationMs) / 1000.0});
        f[alarm + 7].samples.push_back({byPort, double(b.exchanges)});
        f[alarm + 8].samples.push_back({byPort, double(b.timeouts)});
        f[alarm + 9].samples.push_back({byPort, double(b.reconnections)});
        f[alarm + 10].samples.push_back({byPort, double(b.lateAnswers)});
    }
    return f;
}

namespace {

// UTF-8 with backslash and line feed escaped, and the double quote in a label value.
void appendEscaped(std::string& out, const QString& text, bool quote) {
    for (const char c : text.toUtf8()) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' && quote)
            out += "\\\"";
        else
            out += c;
    }
}

void appendNumber(std::string& out, double v) {
    if (std::isnan(v)) {
        out += "NaN";
    } else if (std::isinf(v)) {
        out += v > 0 ? "+Inf" : "-Inf";
    } else {
        char buf[32];
        out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    }
}

} // namespace

std::string exposition(const std::vector<SampleFamily>& families) {
    std::string out;
    out.reserve(4096);
    for (const SampleFamily& f : families) {
        const std::string name = f.name.toStdString();
        out += "# HELP " + name + ' ';
        appendEscaped(out, f.help, false);
        out += "\n# TYPE " + name + (f.counter ? " counter\n" : " gauge\n");
        for (const Sample& s : f.samples) {
            out += name;
            const char* sep = "{";
            for (const auto& [label, value] : s.labels) {
                out += sep + label.toStdString() + "=\"";
                appendEscaped(out, value, true);
                out += '"';
                sep = ",";
            }
            out += s.labels.empty() ? " " : "} ";
            appendNumber(out, s.value);
            out += '\n';
        }
    }
    return out;
}

} // namespace tav
