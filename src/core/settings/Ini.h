#pragma once

#include "core/text/Numbers.h"

#include <QString>

#include <functional>

namespace tav {

// Private-profile settings files (Windows-1252 text):
// section and key names match without regard to case; a new key is appended to its section,
// a new section to the end of the file, a missing file is created. A UTF-8 byte-order mark is
// skipped and lines may end with CR, LF or CR LF; new lines end with CR LF. Every write goes
// through replaceFile: a failed write leaves the file as it was.

// Value of the key, or the empty text when the file, section or key is missing.
// Read as the platform's profile functions did: blanks and tabs around the value are dropped
// and one pair of enclosing double or single quotes is removed; at most 1022 characters come
// back. Values are written as given.
QString LireIni(const QString& file, const QString& section, const QString& key);

// Creates or replaces the value. True when the file was written.
bool EcrireIni(const QString& file, const QString& section, const QString& key,
               const QString& value);

// True when the file holds the section; the key in it.
bool iniHasSection(const QString& file, const QString& section);
bool iniHasKey(const QString& file, const QString& section, const QString& key);

// A settings write that failed: the file and the system's description of the failure.
struct IniFailure {
    QString file;
    QString reason;
};
using IniFailureHandler = std::function<void(const IniFailure&)>;

// Callers of EcrireIni hear nothing of failures; the program listens here to tell the operator.
// Failures that happened while nobody listened (one per reason) are handed over when a handler
// is set. An empty handler stops listening.
void setIniFailureHandler(IniFailureHandler handler);

// Number of settings files written since the program started: a failure already told is told
// again once a write has succeeded in between.
quint64 iniWritesSucceeded();

// Several writes applied in order with one file replacement, for the default writers.
// The result is the same as that of the same EcrireIni calls one by one.
class IniBatch {
public:
    explicit IniBatch(QString file);
    ~IniBatch(); // commits if not committed
    IniBatch(const IniBatch&) = delete;
    IniBatch& operator=(const IniBatch&) = delete;

    void write(const QString& section, const QString& key, const QString& value);
    bool commit();
    // A caller that tells the operator itself keeps the failure from the failure handler.
    void setQuiet(bool quiet);
    QString error() const; // the system's reason when the last commit failed

private:
    struct Impl;
    Impl* d;
};

} // namespace tav
