#include "ctl/Progress.h"

#include <cstdio>
#include <unistd.h>

namespace tav::ctl {

namespace {

QString duration(qint64 s) {
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

Progress::Progress(bool quiet) : quiet_(quiet), terminal_(isatty(STDERR_FILENO) == 1) {}

void Progress::start(int total) {
    total_ = total;
    timer_.start();
}

QString Progress::barText(int done, int total, qint64 elapsedMs) {
    constexpr int kWidth = 30;
    const int percent = total > 0 ? int(100LL * done / total) : 100;
    const int filled = kWidth * percent / 100;
    const double rate = elapsedMs > 0 ? done * 1000.0 / elapsedMs : 0;
    const QString left = rate > 0 ? duration(qint64((total - done) / rate)) : QStringLiteral("-:--");
    return QStringLiteral("[%1%2] %3% %4/%5 lines %6 lines/s %7 left")
        .arg(QString(filled, u'#'), QString(kWidth - filled, u' '))
        .arg(percent, 3)
        .arg(done)
        .arg(total)
        .arg(rate, 0, 'f', 1)
        .arg(left);
}

void Progress::update(int done) {
    if (quiet_ || total_ <= 0 || done <= 0)
        return;
    if (terminal_) {
        const qint64 now = timer_.elapsed();
        if (done < total_ && now - lastDrawMs_ < 100)
            return; // redrawn ten times a second at most
        lastDrawMs_ = now;
        std::fprintf(stderr, "\r%s", barText(done, total_, now).toLocal8Bit().constData());
        drawn_ = true;
    } else {
        const int tenth = int(10LL * done / total_);
        if (tenth == lastTenth_)
            return;
        lastTenth_ = tenth;
        std::fprintf(stderr, "download: %d%% (%d/%d lines)\n", tenth * 10, done, total_);
    }
    std::fflush(stderr);
}

void Progress::finish() {
    if (drawn_)
        std::fputc('\n', stderr);
    drawn_ = false;
}

} // namespace tav::ctl
