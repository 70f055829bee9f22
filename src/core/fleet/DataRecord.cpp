#include "core/fleet/DataRecord.h"

#include "core/fleet/BoardState.h"

#include <charconv>
#include <optional>

namespace tav {

namespace {

QString number(const std::optional<double>& v) {
    if (!v)
        return {};
    char buf[32];
    return QString::fromLatin1(buf, std::to_chars(buf, buf + sizeof buf, *v).ptr - buf);
}

QString bit(const std::optional<bool>& b) {
    return b ? QString(*b ? u'1' : u'0') : QString();
}

} // namespace

QStringList dataHeader() {
    QStringList h{QStringLiteral("time")};
    for (const ReadingMetric& m : readingMetrics())
        h << QLatin1String(m.name).mid(4);
    h << QStringLiteral("laser_on");
    const BitCaptions c = defaultBitCaptions();
    for (const QString& a : c.alarms)
        h << QStringLiteral("alarm: ") + a;
    for (const QString& w : c.warnings)
        h << QStringLiteral("warning: ") + w;
    return h;
}

QStringList dataCells(const QHash<QString, QString>& answers, const QDateTime& stamp) {
    BoardState b;
    applyRow(b, answers, 0, 0, 0);
    QStringList cells{isoStamp(stamp)};
    for (const std::optional<double>& v : b.values)
        cells << number(v);
    cells << bit(b.laserOn);
    for (const std::optional<bool>& a : b.alarms)
        cells << bit(a);
    for (const std::optional<bool>& w : b.warnings)
        cells << bit(w);
    return cells;
}

QString isoStamp(const QDateTime& t) {
    const int offset = t.offsetFromUtc() / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(QChar(offset < 0 ? u'-' : u'+'))
               .arg(qAbs(offset) / 60, 2, 10, QChar(u'0'))
               .arg(qAbs(offset) % 60, 2, 10, QChar(u'0'));
}

} // namespace tav
