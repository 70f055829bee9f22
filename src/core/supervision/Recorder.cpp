#include "core/supervision/Recorder.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/control/MeasurementLog.h"
#include "core/fleet/BoardState.h"
#include "core/fleet/DataRecord.h"
#include "core/text/Cp1252.h"
#include "core/translation/Texts.h"

namespace tav {

namespace {

QString csvField(const QString& cell) {
    if (!cell.contains(u',') && !cell.contains(u'"') && !cell.contains(u'\r') &&
        !cell.contains(u'\n'))
        return cell;
    return u'"' + QString(cell).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Date, time, duration and one cell a read.
QStringList emptyRow(RecordFormat format) {
    return QStringList(kFirstMeasuredColumn - 1 + recordReads(format).size());
}

} // namespace

std::optional<RecordFormat> recordFormatNamed(const QString& name) {
    if (name == QLatin1String("window"))
        return RecordFormat::Tabs;
    if (name == QLatin1String("csv"))
        return RecordFormat::Csv;
    if (name == QLatin1String("data"))
        return RecordFormat::Data;
    return std::nullopt;
}

QStringList recordReads(RecordFormat format) {
    return format == RecordFormat::Data ? monitorReads() : supervisionMnemonics();
}

QStringList recordHeader(const AppState& s, RecordFormat format) {
    return format == RecordFormat::Data ? dataHeader() : supervisionHeader(s);
}

QByteArray recordLine(const QStringList& cells, RecordFormat format) {
    if (format == RecordFormat::Tabs)
        return logLine(cells);
    QStringList fields;
    for (const QString& c : cells)
        fields << csvField(c);
    return toCp1252(fields.join(u',')) + "\r\n";
}

QStringList supervisionHeader(const AppState& s) {
    const auto caption = [&s](const char* key, const char* absent) {
        const QString t = texte(s, QStringLiteral("FrmSupervisionData"), QString::fromLatin1(key));
        return t.isEmpty() ? QString::fromLatin1(absent) : t;
    };
    return QStringList{QStringLiteral("DATE"), caption("col_2", "Time"),
                       caption("col_3", "Duration")} +
           supervisionMnemonics();
}

bool SupervisionRecorder::start(const RecorderSettings& settings, const QStringList& header) {
    settings_ = settings;
    schedule_.restart();
    cells_ = emptyRow(settings_.format);
    date_.clear();
    recordedDate_.clear();
    row_ = 1;
    linkLost_ = false;
    linkNote_.clear();
    return file_.append(recordLine(header, settings_.format));
}

bool SupervisionRecorder::noteDate(const QString& date) {
    const bool changed = date != date_;
    if (changed)
        cells_[0] = date;
    date_ = date;
    return changed;
}

void SupervisionRecorder::run(const RunLength& length, const RowHooks& hooks,
                              const std::function<QDateTime()>& wallClock,
                              const std::function<bool()>& stop,
                              const std::function<bool(const RowOutcome&)>& taken) {
    // Seconds of the run, not of the clock: the second row comes one whole period after the first.
    const qint64 startMs = s_.clock.now();
    while (!stop() && !(length.rows && row_ > *length.rows)) {
        const qint64 now = (s_.clock.now() - startMs) / 1000;
        if (length.durationS && now >= *length.durationS)
            return;
        const QDateTime t = wallClock();
        noteDate(logDateText(t));
        if (!due(now))
            s_.clock.sleep(50);
        else if (!taken(takeRow(now, logTimeText(t), hooks, t)))
            return;
    }
}

RowOutcome SupervisionRecorder::takeRow(qint64 nowS, const QString& time, const RowHooks& hooks,
                                        const QDateTime& stamp) {
    RowOutcome out;
    const double hours = schedule_.take(nowS, settings_.periodS, row_ == 1);
    cells_[1] = time;
    cells_[2] = durationText(hours);
    if (hooks.timed)
        hooks.timed(cells_);
    const auto stop = [&hooks] { return hooks.stop && hooks.stop(); };
    if (stop())
        return out; // asked while events ran: the run ends without this row
    const QStringList mnemonics = reads();
    const RowReads reads = MesurerLigne(
        s_, mnemonics, settings_.missing,
        [&](int i, const QString& answer) {
            cells_[kFirstMeasuredColumn - 1 + i] = answer;
            return !hooks.store || hooks.store(kFirstMeasuredColumn + i, answer);
        },
        stop, [&](const QString& command) { return hooks.failed && hooks.failed(command); });
    out.row = row_;
    out.cells = cells_;
    out.unanswered = reads.unanswered;
    out.endRun = reads.endRun;
    out.linkLost = reads.linkLost();
    if (out.linkLost != linkLost_) {
        out.link = out.linkLost ? LinkChange::Lost : LinkChange::Back;
        linkNote_ = QStringLiteral("link %1 at %2").arg(out.linkLost ? "lost" : "back", time);
    } else if (!out.linkLost) {
        linkNote_.clear();
    }
    linkLost_ = out.linkLost;
    if (row_ % settings_.every == 0 && settings_.format == RecordFormat::Data) {
        QHash<QString, QString> answers;
        for (qsizetype i = 0; i < mnemonics.size(); ++i)
            if (const QString& a = cells_[kFirstMeasuredColumn - 1 + i]; !a.isEmpty())
                answers.insert(mnemonics[i], a);
        out.writeFailed = !file_.append(recordLine(
            dataCells(answers, stamp.isValid() ? stamp : QDateTime::currentDateTime()),
            settings_.format));
        out.endRun = out.endRun || out.writeFailed;
    } else if (row_ % settings_.every == 0) {
        // The sheet dates only the first row of a day; a record of every N-th row gets the
        // date on its first line of each day, so that no line in it is undated.
        QStringList line = cells_;
        if (line[0].isEmpty() && date_ != recordedDate_)
            line[0] = date_;
        if (!line[0].isEmpty())
            recordedDate_ = line[0];
        out.writeFailed = !file_.append(recordLine(line, settings_.format));
        out.endRun = out.endRun || out.writeFailed;
    }
    cells_ = emptyRow(settings_.format);
    ++row_;
    return out;
}

} // namespace tav
