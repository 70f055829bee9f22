#include "core/link/LineCheck.h"

namespace tav {

LineField unusableLineField(const LineFields& f) {
    bool ok = false;
    const qint64 baud = f.baud.trimmed().toLongLong(&ok);
    if (!ok || baud < 50 || baud > 4000000) return LineField::Baud;
    const QString parity = f.parity.trimmed().toUpper();
    if (parity.isEmpty() || !QStringLiteral("NEOMS").contains(parity[0])) return LineField::Parity;
    const int data = f.data.trimmed().toInt(&ok);
    if (!ok || data < 5 || data > 8) return LineField::Data;
    const QString stop = f.stop.trimmed();
#ifdef Q_OS_WIN
    const bool oneAndHalf = stop == QLatin1String("1.5");
#else
    const bool oneAndHalf = false; // termios has no 1.5 stop bits
#endif
    if (stop != QLatin1String("1") && stop != QLatin1String("2") && !oneAndHalf)
        return LineField::Stop;
    return LineField::None;
}

} // namespace tav
