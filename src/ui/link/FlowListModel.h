#pragma once

#include "core/link/FlowLog.h"

#include <QAbstractListModel>

namespace tav {

// One list of the flow log as a list model, kept in step with the log's signals.
// Display: the line with its control characters made visible (the carriage return that ends a
// line is not shown), optionally after a millisecond time stamp. Qt::UserRole gives the line
// exactly as logged, Qt::UserRole + 1 its time stamp (ms since the epoch).
class FlowListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    FlowListModel(const FlowLog& log, FlowLog::List list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    bool timestamps() const { return timestamps_; }
    void setTimestamps(bool on);

    // "hh:mm:ss.zzz" in local time.
    static QString horodatage(qint64 stampMs);
    // The line as shown: a final CR dropped, other CR and LF as <CR> and <LF>, other control
    // characters as <hh>.
    static QString visible(const QString& text);

private:
    const FlowLog& log_;
    FlowLog::List list_;
    int rows_ = 0;
    bool timestamps_ = true;
};

} // namespace tav
