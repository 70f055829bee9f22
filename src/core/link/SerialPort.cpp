#include "core/link/SerialPort.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

namespace tav {

LineSettings LineSettings::parse(const QString& text, bool* ok) {
    if (ok)
        *ok = false;
    const QStringList f = text.split(QLatin1Char(','));
    if (f.size() != 4)
        return {};

    LineSettings r;
    bool good = false;
    r.baud = f[0].trimmed().toInt(&good);
    if (!good || r.baud <= 0)
        return {};

    const QString parity = f[1].trimmed().toUpper();
    if (parity.isEmpty() || !QStringLiteral("NEOMS").contains(parity[0]))
        return {};
    r.parity = parity[0].toLatin1();

    r.dataBits = f[2].trimmed().toInt(&good);
    if (!good || r.dataBits < 5 || r.dataBits > 8)
        return {};

    const QString stop = f[3].trimmed();
    if (stop == QLatin1String("1"))
        r.stopBits = 1;
    else if (stop == QLatin1String("1.5"))
        r.stopBits = 15;
    else if (stop == QLatin1String("2"))
        r.stopBits = 2;
    else
        return {};

    if (ok)
        *ok = true;
    return r;
}

QString LineSettings::toString() const {
    const QString stop = stopBits == 15 ? QStringLiteral("1.5") : QString::number(stopBits);
    return QStringLiteral("%1,%2,%3,%4")
        .arg(baud)
        .arg(QLatin1Char(parity))
        .arg(dataBits)
        .arg(stop);
}

int LineSettings::bitsPerCharacter() const {
    return 1 + dataBits + (parity == 'N' ? 0 : 1) + (stopBits == 1 ? 1 : 2);
}

QString deviceForPortName(const QString& portName) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(portName);
    if (!m.hasMatch())
        return portName.contains(u'/') ? QDir::current().absoluteFilePath(portName) : portName;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    if (!ok || n < 1)
        return portName;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(n);
#else
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

} // namespace tav
