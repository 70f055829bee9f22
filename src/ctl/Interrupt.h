#pragma once

namespace tav::ctl {

// Ctrl-C, while an InterruptGuard lives, is recorded instead of ending the program, so that a
// long operation stops between two steps. With `secondEnds`, a second Ctrl-C ends the program
// at once with status 130: for a run that hands its output to the system a whole line at a
// time, so that nothing half-written is left behind.
struct InterruptGuard {
    explicit InterruptGuard(bool secondEnds = false);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};
// True once Ctrl-C came under the current guard.
bool interrupted();

} // namespace tav::ctl
