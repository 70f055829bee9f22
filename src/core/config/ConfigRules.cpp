#include "core/config/ConfigRules.h"

#include "core/control/PanelRules.h"
#include "core/text/Numbers.h"

#include <cmath>

namespace tav {

int readScale(const QString& mnemonic) {
    static const QStringList tenths{"CI1", "CO1", "CS1", "CI2", "CO2",
                                    "CS2", "SOP", "ASO", "IPT", "OPM"};
    return tenths.contains(mnemonic, Qt::CaseInsensitive) ? 10 : 1;
}

int writeScale(int box) {
    return (box == 7 || box == 9 || box == 10 || box == 11) ? 10 : 1;
}

int readOnlyScale(int label) {
    switch (label) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 11:
    case 13:
        return 10;
    default:
        return 1;
    }
}

int operatingScale(int label) {
    return label <= 2 ? 10 : 1;
}

bool isRamp(const QString& mnemonic) {
    return mnemonic.compare(QLatin1String("RP2"), Qt::CaseInsensitive) == 0;
}

std::optional<double> rampDuration(double speed) {
    if (speed == 0) return std::nullopt;
    const double d = std::floor(4095.0 / (20.0 * speed));
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<qint64> rampSpeed(double duration) {
    if (duration == 0) return std::nullopt;
    const double v = std::floor(4095.0 / (20.0 * duration));
    if (!std::isfinite(v) || std::fabs(v) > 9.0e15) return std::nullopt;
    return static_cast<qint64>(v);
}

QString writeCommand(const QString& mnemonic, double value) {
    return mnemonic + u'=' + plainNumber(value);
}

QString modeCommand(int mode) {
    return QStringLiteral("ASS=") + QString::number(mode);
}

std::optional<int> modeOfAnswer(const QString& answer) {
    const double v = numericAnswer(answer).value_or(0);
    if (v < 1 || v > 4 || v != std::floor(v)) return std::nullopt;
    return static_cast<int>(v);
}

QString intText(double value) {
    return plainNumber(std::floor(value));
}

} // namespace tav
