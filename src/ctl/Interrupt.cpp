#include "ctl/Interrupt.h"

#include <csignal>

#include <unistd.h>

namespace tav::ctl {

namespace {

volatile std::sig_atomic_t caught = 0;
volatile std::sig_atomic_t endOnSecond = 0;
struct sigaction previous {};

void onInterrupt(int) {
    if (caught && endOnSecond)
        _exit(130);
    caught = 1;
}

} // namespace

InterruptGuard::InterruptGuard(bool secondEnds) {
    caught = 0;
    endOnSecond = secondEnds;
    struct sigaction a {};
    a.sa_handler = onInterrupt;
    sigemptyset(&a.sa_mask);
    sigaction(SIGINT, &a, &previous);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previous, nullptr);
    endOnSecond = 0;
}

bool interrupted() {
    return caught != 0;
}

} // namespace tav::ctl
