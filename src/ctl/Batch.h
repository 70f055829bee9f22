#pragma once

#include "ctl/Cli.h"

#include <functional>

namespace tav::ctl {

// How one board's part of a run ended: its exit status and, for the batch summary, its result
// ("written", "no answer"...).
struct BoardEnd {
    int status = kOk;
    QString result;
};
using BoardBody = std::function<BoardEnd(Link&)>;

// Runs `body` on the run's board; with several ports (--port repeated, --ports-from), on every
// port at once (--jobs at a time), each on its own thread with its own Link, none stopping the
// others. A batch keeps each board's output and ends with it, in the order of the ports:
// `keyed` (read) prints "PORT line" for each kept line, then one summary line per port (port,
// serial number, result, seconds, tab-separated); with --json one document: the ports' JSON
// objects with port, serial, result and seconds added, in an array, or keyed by port. The
// status is the worst of the boards' (0 when every board succeeded).
// Call after run.parse with setPortListOptions(true).
int runOnPorts(Run& run, const BoardBody& body, bool keyed = false);

} // namespace tav::ctl
