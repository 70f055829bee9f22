#include "core/io/RuntimeDir.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tav {

void namePrivateRuntimeDir() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const uid_t uid = geteuid();
    const QByteArray temp = QFile::encodeName(QDir::tempPath());
    QByteArray dir = temp + "/tavoem-runtime-" + QByteArray::number(uid);
    struct stat st {};
    const bool made = ::mkdir(dir.constData(), 0700) == 0 || errno == EEXIST;
    // Only a real folder of our own that nobody else may enter: not a link or a folder that
    // someone else made under this name.
    if (!made || ::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid ||
        (st.st_mode & 07777) != 0700) {
        dir = temp + "/tavoem-runtime-XXXXXX";
        if (!::mkdtemp(dir.data()))
            return; // Qt picks its own folder, and says so
    }
    qputenv("XDG_RUNTIME_DIR", dir);
#endif
}

} // namespace tav
