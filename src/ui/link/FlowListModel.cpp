#include "ui/link/FlowListModel.h"

#include <QDateTime>

namespace tav {

FlowListModel::FlowListModel(const FlowLog& log, FlowLog::List list, QObject* parent)
    : QAbstractListModel(parent), log_(log), list_(list),
      rows_(static_cast<int>(log.lines(list).size())) {
    connect(&log_, &FlowLog::appended, this, [this](int list, const QString&, qint64) {
        if (list != list_)
            return;
        beginInsertRows({}, rows_, rows_);
        ++rows_;
        endInsertRows();
    });
    connect(&log_, &FlowLog::cleared, this, [this](int list) {
        if (list != list_)
            return;
        beginResetModel();
        rows_ = static_cast<int>(log_.lines(list_).size());
        endResetModel();
    });
}

int FlowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant FlowListModel::data(const QModelIndex& index, int role) const {
    const auto& lines = log_.lines(list_);
    if (!index.isValid() || index.row() < 0 || index.row() >= rows_ || index.row() >= lines.size())
        return {};
    const FlowLog::Line& line = lines[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return timestamps_ ? horodatage(line.stampMs) + QStringLiteral("  ") + visible(line.text)
                           : visible(line.text);
    case Qt::ToolTipRole:
        return QDateTime::fromMSecsSinceEpoch(line.stampMs)
            .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    case Qt::UserRole:
        return line.text;
    case Qt::UserRole + 1:
        return line.stampMs;
    default:
        return {};
    }
}

void FlowListModel::setTimestamps(bool on) {
    if (on == timestamps_)
        return;
    timestamps_ = on;
    if (rows_ > 0)
        emit dataChanged(index(0), index(rows_ - 1), {Qt::DisplayRole});
}

QString FlowListModel::horodatage(qint64 stampMs) {
    return QDateTime::fromMSecsSinceEpoch(stampMs).toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString FlowListModel::visible(const QString& text) {
    QStringView t(text);
    if (t.endsWith(u'\r'))
        t.chop(1);
    QString out;
    out.reserve(t.size());
    for (const QChar c : t) {
        if (c == u'\r')
            out += QLatin1String("<CR>");
        else if (c == u'\n')
            out += QLatin1String("<LF>");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace tav
