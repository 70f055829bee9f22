#include "core/control/PanelRules.h"

#include "core/text/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tav {

// ---- Lamps ----------------------------------------------------------------------------------

QString lampAnswer(const QString& answer) {
    return answer.size() > 8 ? answer.right(8) : answer;
}

bool lampCharSet(QChar c) {
    return leadingNumber(QString(c)) == 1;
}

LampStates decodeAlarms(const QString& answer) {
    LampStates out;
    const QString s = lampAnswer(answer);
    const int len = static_cast<int>(s.size());
    for (int k = 0; k + 1 < len; ++k) {
        const int lamp = len - 2 - k;
        if (lamp >= 0 && lamp < kLampCount) out[static_cast<std::size_t>(lamp)] = lampCharSet(s[k]);
    }
    return out;
}

LampStates decodeWarnings(const QString& answer) {
    LampStates out;
    const QString s = lampAnswer(answer);
    const int len = static_cast<int>(s.size());
    for (int j = len - 1; j >= len - 4 && j >= 0; --j) {
        const int lamp = 7 - j;
        if (lamp >= 0 && lamp < kLampCount) out[static_cast<std::size_t>(lamp)] = lampCharSet(s[j]);
    }
    return out;
}

// ---- Channels -------------------------------------------------------------------------------

int channelFactor(int channel) {
    return channel == 1 ? 1000 : 10;
}

int channelDecimals(int channel) {
    return channel == 1 ? 2 : 1;
}

double channelStep(int channel) {
    switch (channel) {
    case 1:
        return 0.01;
    case 2:
        return 0.5;
    default:
        return 0.1;
    }
}

QString formatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return QString::number(value);
    const double scale = std::pow(10.0, decimals);
    const double v = value * scale;
    const double f = std::floor(v);
    const double diff = v - f;
    // Binary fractions such as 12.25 x 10 land on a half exactly; a tiny tolerance keeps
    // products like 0.15 x 10 = 1.4999999999999998 on the half as the decimal text reads.
    const double eps = 1e-9 * std::max(1.0, std::fabs(v));
    double r;
    if (std::fabs(diff - 0.5) <= eps)
        r = std::fmod(f, 2.0) == 0 ? f : f + 1;
    else
        r = diff < 0.5 ? f : f + 1;
    if (r == 0) r = 0; // no "-0.0"
    return QString::number(r / scale, 'f', decimals);
}

QString plainNumber(double value) {
    if (!std::isfinite(value)) return QString::number(value);
    // Fifteen significant digits, as the program has always written numbers.
    const double y = QString::number(value, 'g', 15).toDouble();
    if (y == 0) return QStringLiteral("0");
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(y))));
    const int decimals = std::clamp(14 - magnitude, 0, 30);
    QString t = QString::number(y, 'f', decimals);
    if (t.contains(u'.')) {
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.')) t.chop(1);
    }
    if (t == QStringLiteral("-0")) t = QStringLiteral("0");
    return t;
}

QString formatChannel(int channel, double value) {
    return formatFixed(value, channelDecimals(channel));
}

bool writeAcknowledged(const QString& answer) {
    return answer.contains(u'!');
}

QString clampNotice(int channel, double minimum, double maximum) {
    return QStringLiteral("limited to %1 \u2026 %2")
        .arg(formatChannel(channel, minimum), formatChannel(channel, maximum));
}

QString notNumberNotice() {
    return QStringLiteral("not a number: value kept");
}

Bounded boundToRange(double value, double minimum, double maximum) {
    if (value > maximum) return {maximum, true};
    if (value < minimum) return {minimum, true};
    return {value, false};
}

QString setPointCommand(const QString& mnemonic, const QString& text, int factor) {
    return mnemonic + u'=' + plainNumber(leadingNumber(text) * factor);
}

// ---- Modes ----------------------------------------------------------------------------------

std::optional<int> modeOfTab(int tab) {
    switch (tab) {
    case kTabApc:
        return 2;
    case kTabAcc:
        return 1;
    case kTabAapc:
        return 4;
    case kTabAacc:
        return 3;
    default:
        return std::nullopt;
    }
}

std::optional<int> tabOfMode(int mode) {
    switch (mode) {
    case 2:
        return kTabApc;
    case 1:
        return kTabAcc;
    case 4:
        return kTabAapc;
    case 3:
        return kTabAacc;
    default:
        return std::nullopt;
    }
}

bool isCurrentTab(int tab) {
    return tab == kTabAcc || tab == kTabAacc;
}

std::optional<int> readingDivisor(int row, int tab) {
    const bool power = tab == kTabApc || tab == kTabAapc;
    const bool current = isCurrentTab(tab);
    switch (row) {
    case 0:
        if (power) return 10;
        if (current) return 1000;
        return std::nullopt;
    case 1:
        if (power) return 1000;
        if (current) return 10;
        return std::nullopt;
    case 2:
    case 4:
        return 1;
    case 3:
    case 5:
        return 10;
    default:
        return std::nullopt;
    }
}

// ---- Power limit ----------------------------------------------------------------------------

double outputPowerMaximum(double limit, std::optional<double> nominal) {
    double maximum = limit + 0.5;
    if (nominal && maximum > *nominal + 0.5) maximum = *nominal + 0.5;
    return maximum;
}

std::optional<bool> laserState(const QString& answer) {
    if (answer.isEmpty() || isNotAvailable(answer) ||
        !std::ranges::all_of(answer, [](QChar c) { return c >= u' ' && c <= u'~'; }))
        return std::nullopt;
    return answer.compare(QStringLiteral("ON"), Qt::CaseInsensitive) == 0;
}

} // namespace tav
