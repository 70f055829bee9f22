#include "core/supervision/Supervision.h"

#include "core/AppState.h"
#include "core/control/MeasurementLog.h"
#include "core/link/SerialPort.h"
#include "core/link/Exchange.h"
#include "core/text/Numbers.h"

#include <QDir>

#include <cmath>

namespace tav {

const QStringList& supervisionMnemonics() {
    static const QStringList m{QStringLiteral("IPW"), QStringLiteral("OPW"), QStringLiteral("PS2"),
                               QStringLiteral("ID1"), QStringLiteral("LDT"), QStringLiteral("CAT"),
                               QStringLiteral("ALA"), QStringLiteral("LDC")};
    return m;
}

QString supervisionDir(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("Supervision"));
}

namespace {

std::optional<qint64> wholeNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0.5 || v > 1e9)
        return std::nullopt;
    const qint64 n = qint64(roundHalfEven(v));
    if (n < 1)
        return std::nullopt;
    return n;
}

} // namespace

std::optional<int> acquisitionPeriod(const QString& text) {
    if (auto n = wholeNumber(text))
        return int(*n);
    return std::nullopt;
}

std::optional<int> recordEvery(const QString& text) {
    return acquisitionPeriod(text);
}

QString recordBaseName(const QString& serialNumber, const QDateTime& t) {
    QString base = serialNumber.trimmed();
    if (base.isEmpty())
        return logBaseName(t);
    base.replace(QLatin1Char('/'), QLatin1Char('_'));
    base.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return base;
}

double SupervisionSchedule::take(qint64 nowS, int periodS, bool firstRow) {
    if (firstRow)
        first_ = nowS;
    next_ = nowS + periodS;
    pending_ = true;
    return firstRow ? 0.0 : double(next_ - first_) / 3600.0;
}

QString durationText(double hours) {
    return QString::number(hours, 'f', 4);
}

QString nextMeasureText(double minutesLeft, const QString& immediate, const QString& next) {
    // Chosen on the text shown, so that the label never reads "0.0 mn".
    const QString minutes = QString::number(minutesLeft, 'f', 1);
    if (minutes.toDouble() <= 0)
        return immediate;
    return next + QLatin1Char(' ') + minutes + QStringLiteral(" mn");
}

RowReads MesurerLigne(AppState& s, const QStringList& mnemonics, MissingAnswer missing,
                      const std::function<bool(int, const QString&)>& store,
                      const std::function<bool()>& stop,
                      const std::function<bool(const QString&)>& failed) {
    RowReads r;
    for (int i = 0; i < mnemonics.size(); ++i) {
        const QString command = mnemonics[i] + QLatin1Char('?');
        // A pulled adapter: no box per command; the port opens again by itself once the
        // adapter is back.
        if (!s.PortOEM.isOpen() && ouvrirPortSansMessage(s).result != PortOpening::Opened) {
            r.unanswered << command;
            r.portGone = true;
            r.endRun = missing == MissingAnswer::EndRow;
            break;
        }
        const QString answer = EnvoyerCommande(s, command);
        const bool usable = isTextValue(mnemonics[i])
                                ? !answer.isEmpty()
                                : numericAnswer(answer) || isNotAvailable(answer);
        r.answered += usable;
        if (!usable) {
            r.unanswered << command;
            // The device went away during the read: the link is lost, not just this read.
            r.portGone = r.portGone || !s.PortOEM.isOpen();
            if (missing == MissingAnswer::EndRow) {
                r.endRun = true;
                break;
            }
        } else if (!store(i, answer) && !failed(command)) {
            r.endRun = true;
            break;
        }
        // A stop click between two commands ends the row.
        if (s.processEvents)
            s.processEvents();
        if (stop())
            break;
    }
    return r;
}

} // namespace tav
