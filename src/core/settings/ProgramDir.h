#pragma once

#include <QString>

namespace tav {

// The folder that holds the settings files, logs and records: the executable's folder when it
// can be written (a portable install) and is not a system folder, otherwise the per-user
// application data folder.
// `requested`, when not empty, is used as it stands (created when missing).
QString programDirectory(const QString& requested = {});

// True for folders a package manager owns (/usr/..., /bin, /sbin, /lib), where a program run by
// root must not leave settings files.
bool isSystemFolder(const QString& dir);

// True when a file can be created in the folder.
bool directoryWritable(const QString& dir);

} // namespace tav
