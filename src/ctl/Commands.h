#pragma once

#include <QStringList>

namespace tav::ctl {

// The subcommands; each takes the arguments after its name and gives the exit status.
int runSend(const QStringList& args);
int runRead(const QStringList& args);
int runCrypt(const QStringList& args);
int runDecrypt(const QStringList& args);
int runLoadConfig(const QStringList& args);
int runDownload(const QStringList& args);
int runRecord(const QStringList& args);
int runReport(const QStringList& args);
int runDetectBaud(const QStringList& args);
int runMonitor(const QStringList& args);

} // namespace tav::ctl
