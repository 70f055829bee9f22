#include "core/link/PortAdvice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <vector>

namespace tav {

namespace {

constexpr qsizetype kCommandShown = 100;

#ifdef Q_OS_UNIX
bool alive(qint64 pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// The command line of a process, blanks between its arguments; empty when it cannot be read.
QString commandOf(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray line = f.read(4096);
    line.replace('\0', ' ');
    QString text = QString::fromLocal8Bit(line).trimmed();
    if (text.size() > kCommandShown) text = text.left(kCommandShown - 3) + QStringLiteral("...");
    return text;
}

// The lock file Qt's serial port takes for a device, in the folders it tries, in its order.
qint64 lockHolder(const QString& device, QString* app) {
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(u'/', u'_');
    const QStringList folders = {
        QStringLiteral("/var/lock"),        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),             QStringLiteral("/var/tmp"),
        QStringLiteral("/var/lock/lockdev"), QStringLiteral("/run/lock"),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    for (const QString& folder : folders) {
        const QString path = folder + QStringLiteral("/LCK..") + name;
        qint64 pid = 0;
        QString host;
        if (QFile::exists(path) && QLockFile(path).getLockInfo(&pid, &host, app) && alive(pid))
            return pid;
    }
    return 0;
}

// A process other than this one with the device open.
qint64 openedBy(const QString& canonical) {
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& p : pids) {
        bool number = false;
        const qint64 pid = p.toLongLong(&number);
        if (!number || pid == self) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::AllEntries | QDir::System))
            if (fd.symLinkTarget() == canonical) return pid;
    }
    return 0;
}
#endif

} // namespace

namespace {
const QString kInUse = QStringLiteral("it is in use by another program");
const QString kNoAccess = QStringLiteral("this user may not read and write ");
} // namespace

bool isPortRefusalText(const QString& reason) {
    return isPortBusyText(reason) || reason.startsWith(kNoAccess);
}

bool isPortBusyText(const QString& reason) {
    return reason.startsWith(kInUse);
}

QString portRefusalText(const PortRefusal& r) {
    if (r.accessible) {
        QString who;
        if (r.holderPid > 0)
            who = r.holderCommand.isEmpty()
                      ? QStringLiteral(" (process %1)").arg(r.holderPid)
                      : QStringLiteral(" (process %1: %2)").arg(r.holderPid).arg(r.holderCommand);
        return kInUse + QStringLiteral("%1; close that program or wait for it to end, then try "
                                       "again")
                            .arg(who);
    }
    QString text = kNoAccess + r.device;
    const bool adminGroup = r.group.isEmpty() || r.group == QLatin1String("root");
    if (!adminGroup && r.inGroup && !r.sessionInGroup)
        return text + QStringLiteral("; this user is in the group \"%1\" that owns it, but "
                                     "this session started before: log out and log in again")
                          .arg(r.group);
    if (adminGroup || r.inGroup)
        return text + QStringLiteral("; ask the administrator to give this user access to it");
    return text + QStringLiteral("; join the group \"%1\" that owns it "
                                 "(sudo usermod -aG %1 $USER), then log out and log in again")
                      .arg(r.group);
}

PortRefusal examinePort(const QString& device) {
    PortRefusal r;
    r.device = device;
    const QFileInfo info(device);
    const QString canonical = info.canonicalFilePath();
    r.group = info.group();
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    r.accessible = ::access(path.constData(), R_OK | W_OK) == 0;
    if (r.accessible) {
        QString app;
        r.holderPid = lockHolder(device, &app);
        if (r.holderPid == 0 && !canonical.isEmpty()) r.holderPid = openedBy(canonical);
        if (r.holderPid > 0) {
            r.holderCommand = commandOf(r.holderPid);
            if (r.holderCommand.isEmpty()) r.holderCommand = app;
        }
        return r;
    }
    const gid_t gid = info.groupId();
    r.sessionInGroup = ::getegid() == gid;
    std::vector<gid_t> session(static_cast<std::size_t>(qMax(0, ::getgroups(0, nullptr))));
    const int n = ::getgroups(int(session.size()), session.data());
    for (int i = 0; i < n; ++i)
        r.sessionInGroup = r.sessionInGroup || session[std::size_t(i)] == gid;
    if (const passwd* pw = ::getpwuid(::getuid())) {
        int count = 64;
        std::vector<gid_t> listed(static_cast<std::size_t>(count));
        if (::getgrouplist(pw->pw_name, pw->pw_gid, listed.data(), &count) < 0) {
            listed.resize(static_cast<std::size_t>(count));
            ::getgrouplist(pw->pw_name, pw->pw_gid, listed.data(), &count);
        }
        for (int i = 0; i < count && i < int(listed.size()); ++i)
            r.inGroup = r.inGroup || listed[std::size_t(i)] == gid;
    }
    r.inGroup = r.inGroup || r.sessionInGroup;
#else
    r.accessible = info.isReadable() && info.isWritable();
#endif
    return r;
}

} // namespace tav
