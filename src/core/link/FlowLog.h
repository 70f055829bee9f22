#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVector>

namespace tav {

// The two lists of the serial-flow window: lines sent and lines received.
// The exchange appends to them while the flow window is active; the window only displays them,
// so logging goes on while the window is hidden.
class FlowLog : public QObject {
    Q_OBJECT
public:
    enum List { Sent = 0, Answers = 1 };
    static constexpr int kMaxLines = 32766;

    struct Line {
        QString text;
        qint64 stampMs = 0; // wall-clock ms since the epoch, for response times
    };

    explicit FlowLog(QObject* parent = nullptr) : QObject(parent) {}

    // Appends a line; a list that reaches kMaxLines lines is emptied.
    void append(List list, const QString& text);
    void clear();
    const QVector<Line>& lines(List list) const { return lines_[list]; }

signals:
    void appended(int list, const QString& text, qint64 stampMs);
    void cleared(int list);

private:
    QVector<Line> lines_[2];
};

} // namespace tav
