#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tav {

// Ports found by shell patterns (`/dev/serial/by-path/*`), for racks whose boards come and go.

// A port given as a pattern: it holds "*", "?" or "[".
bool isPortPattern(const QString& text);

// The serial devices the patterns match now, in pattern order then by name: only names that
// lead to a character device (a dangling link is no port), each device once, none that is
// one of `named` (ports given by name are watched anyway). A pattern without "/" is taken in
// /dev, a relative one from the current folder.
QStringList matchPorts(const QStringList& patterns, const QStringList& named = {});

// The ports of the patterns over time: a new match is added at once; one that no longer
// matches is kept (its worker shows it down) until it has been gone `forgetMs`, then
// forgotten; one that comes back in time is simply kept.
class PortWatch {
public:
    explicit PortWatch(qint64 forgetMs) : forgetMs_(forgetMs) {}
    struct Change {
        QStringList added;
        QStringList forgotten;
    };
    Change update(const QStringList& matches, qint64 nowMs);
    QStringList ports() const { return watched_.keys(); }

private:
    qint64 forgetMs_;
    QHash<QString, std::optional<qint64>> watched_; // port -> since when it is gone
};

} // namespace tav
