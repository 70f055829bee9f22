#pragma once

#include <QElapsedTimer>
#include <QString>

namespace tav::ctl {

// Progress of a download on stderr: a bar redrawn in place when stderr is a terminal (percent,
// lines, rate, time left), otherwise a plain line at every tenth.
class Progress {
public:
    explicit Progress(bool quiet);
    void start(int total);
    void update(int done);
    void finish(); // ends the bar's line

    // The bar's text for `done` of `total` lines after `elapsedMs`.
    static QString barText(int done, int total, qint64 elapsedMs);

private:
    bool quiet_;
    bool terminal_;
    bool drawn_ = false;
    int total_ = 0;
    int lastTenth_ = -1;
    qint64 lastDrawMs_ = -1000;
    QElapsedTimer timer_;
};

} // namespace tav::ctl
