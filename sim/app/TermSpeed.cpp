// The line rate a client set on a terminal, read with TCGETS2 so that rates without a Bnnn
// constant (set by serial libraries through BOTHER) are seen too. Kept apart from <termios.h>,
// whose struct termios clashes with the kernel's.

#include <QtGlobal>

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tav::sim {

qint32 terminalBaud(int fd) {
    struct termios2 tio {};
    if (::ioctl(fd, TCGETS2, &tio) != 0) return 0;
    return static_cast<qint32>(tio.c_ospeed);
}

bool setTerminalBaud(int fd, qint32 baud) {
    struct termios2 tio {};
    if (baud <= 0 || ::ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(baud);
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace tav::sim
