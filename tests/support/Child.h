#pragma once

#include <functional>

#include <grp.h>
#include <signal.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tav::test {

// Runs `body` in a forked child after `setUp`, for faults that must bind root too. Returns the
// body's result (0 to 255), or -1 when the child did not end normally. The child never runs the
// parent's clean-up (temporary folders stay).
inline int inChild(const std::function<void()>& setUp, const std::function<int()>& body) {
    fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        setUp();
        _exit(body() & 0xff);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Files cannot grow beyond `bytes`: writes past it fail with "File too large".
inline void limitFileSize(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

// Folder permissions hold: root becomes an ordinary user (nobody); others cannot change ids and
// stay who they are. A child that could still take root back would prove nothing, so it fails.
inline void withoutPrivileges() {
    [[maybe_unused]] const bool dropped =
        setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
    if (setuid(0) == 0)
        _exit(254);
}

} // namespace tav::test
