#pragma once

namespace tav::ctl {

// Ctrl-C, while an InterruptGuard lives, is recorded instead of ending the program, so that a
// long operation stops between two steps.
struct InterruptGuard {
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};
// True once Ctrl-C came under the current guard.
bool interrupted();

} // namespace tav::ctl
