#include "ctl/Interrupt.h"

#include <csignal>

namespace tav::ctl {

namespace {

volatile std::sig_atomic_t caught = 0;
struct sigaction previous {};

void onInterrupt(int) {
    caught = 1;
}

} // namespace

InterruptGuard::InterruptGuard() {
    caught = 0;
    struct sigaction a {};
    a.sa_handler = onInterrupt;
    sigemptyset(&a.sa_mask);
    sigaction(SIGINT, &a, &previous);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previous, nullptr);
}

bool interrupted() {
    return caught != 0;
}

} // namespace tav::ctl
