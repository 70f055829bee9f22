#pragma once

#include <QString>

namespace tav {

// What is known about a serial device that exists but could not be opened or locked.
struct PortRefusal {
    QString device;
    bool accessible = false; // this user may read and write the device file
    qint64 holderPid = 0;    // the program that holds it, when the system tells
    QString holderCommand;
    QString group;              // the device file's group
    bool inGroup = false;       // this user is listed in that group
    bool sessionInGroup = false; // ... and this session already carries it
};

// The reason as a clause for "The serial port ... cannot be opened: <reason>": a device this user
// may use is held by another program (named when known); otherwise the user lacks the right to
// it, with advice that never sends anyone to the group "root" or to a group they are already in.
// No final full stop: the callers end the sentence.
QString portRefusalText(const PortRefusal& r);
// True for a reason made by portRefusalText: it carries its own advice.
bool isPortRefusalText(const QString& reason);
// True for the text of a port in use by another program (a refusal that is not about rights).
bool isPortBusyText(const QString& reason);

// Gathers the facts for a device path (the lock file of the program holding it, then the
// processes that have it open).
PortRefusal examinePort(const QString& device);

} // namespace tav
