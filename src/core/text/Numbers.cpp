#include "core/text/Numbers.h"

#include <QStringList>

#include <cmath>
#include <limits>

namespace tav {

double leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    auto digit = [&](qsizetype k) { return k < n && text[k] >= u'0' && text[k] <= u'9'; };
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; digit(i); ++i)
        ++digits;
    if (i < n && text[i] == u'.')
        for (++i; digit(i); ++i)
            ++digits;
    if (digits == 0)
        return 0;
    bool ok = false;
    const double v = text.mid(start, i - start).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return 0;
    return v;
}

double roundHalfEven(double x) {
    if (!std::isfinite(x))
        return x;
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff < 0.5)
        return f;
    if (diff > 0.5)
        return f + 1;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

qint64 leadingInteger(const QString& text) {
    const double r = roundHalfEven(leadingNumber(text));
    if (r >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(r);
}

bool isNumericText(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digit = [&](qsizetype k) { return k < n && t[k] >= u'0' && t[k] <= u'9'; };
    if (i < n && (t[i] == u'+' || t[i] == u'-')) ++i;
    qsizetype digits = 0;
    for (; digit(i); ++i)
        ++digits;
    if (i < n && t[i] == u'.')
        for (++i; digit(i); ++i)
            ++digits;
    if (digits == 0 || i != n) return false;
    // A number too large for a double would read as 0 and send the slider's minimum.
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v);
}

bool isNotAvailable(const QString& answer) {
    return answer.trimmed().compare(QLatin1String("xxx"), Qt::CaseInsensitive) == 0;
}

std::optional<double> numericAnswer(const QString& answer) {
    if (!isNumericText(answer)) return std::nullopt;
    return answer.trimmed().toDouble();
}

bool isTextValue(const QString& mnemonic) {
    static const QStringList text{"SNU", "VER", "STS", "ALA", "WAR"};
    return text.contains(mnemonic, Qt::CaseInsensitive);
}

} // namespace tav
