#include "core/fleet/PortWatch.h"

#include "core/link/SerialPort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <glob.h>
#include <sys/stat.h>

namespace tav {

bool isPortPattern(const QString& text) {
    return text.contains(u'*') || text.contains(u'?') || text.contains(u'[');
}

namespace {

// The character device a name leads to (links followed), or empty.
QString deviceOf(const QString& name) {
    struct stat st {};
    if (::stat(QFile::encodeName(name).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return {};
    return QFileInfo(name).canonicalFilePath();
}

} // namespace

QStringList matchPorts(const QStringList& patterns, const QStringList& named) {
    QSet<QString> taken;
    for (const QString& n : named)
        if (const QString d = deviceOf(deviceForPortName(n)); !d.isEmpty())
            taken.insert(d);
    QStringList found;
    for (const QString& p : patterns) {
        const QString pattern = p.contains(u'/') ? QDir::current().absoluteFilePath(p)
                                                 : QStringLiteral("/dev/") + p;
        glob_t g{};
        if (::glob(QFile::encodeName(pattern).constData(), 0, nullptr, &g) == 0)
            for (size_t i = 0; i < g.gl_pathc; ++i) {
                const QString name = QFile::decodeName(g.gl_pathv[i]);
                const QString device = deviceOf(name);
                if (!device.isEmpty() && !taken.contains(device)) {
                    taken.insert(device);
                    found << name;
                }
            }
        ::globfree(&g);
    }
    return found;
}

PortWatch::Change PortWatch::update(const QStringList& matches, qint64 nowMs) {
    Change c;
    for (const QString& m : matches) {
        if (!watched_.contains(m))
            c.added << m;
        watched_[m] = std::nullopt;
    }
    for (auto it = watched_.begin(); it != watched_.end();) {
        if (!matches.contains(it.key()) && !it.value())
            it.value() = nowMs;
        if (it.value() && nowMs - *it.value() >= forgetMs_) {
            c.forgotten << it.key();
            it = watched_.erase(it);
        } else {
            ++it;
        }
    }
    return c;
}

} // namespace tav
