#include "ctl/Batch.h"

#include "core/link/Exchange.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

namespace tav::ctl {

namespace {

struct PortRun {
    QString port;
    BoardEnd end;
    QString serial;
    QStringList lines;
    QJsonValue json;
    double seconds = 0;
};

} // namespace

int runOnPorts(Run& run, const BoardBody& body, bool keyed) {
    QStringList ports;
    if (!run.ports(&ports))
        return kUsage;
    if (ports.size() <= 1 && !run.portListGiven())
        return body(run.link()).status;
    if (ports.isEmpty())
        return run.fail(kUsage, QStringLiteral("the ports file names no port"));
    if (!run.distinctPorts(ports))
        return kUsage;
    bool ok = true;
    const qint64 jobs = run.number(run.jobsOption(), 1, 1024, ports.size(), &ok);
    if (!ok)
        return kUsage;

    std::vector<PortRun> runs(size_t(ports.size()));
    for (qsizetype i = 0; i < ports.size(); ++i)
        runs[size_t(i)].port = ports[i];
    std::atomic<size_t> next{0};
    // Each thread takes the next port until none is left. A QThread: the serial port needs the
    // thread's event dispatcher.
    std::vector<std::unique_ptr<QThread>> threads;
    for (qint64 j = 0; j < std::min<qint64>(jobs, ports.size()); ++j) {
        threads.emplace_back(QThread::create([&] {
            for (size_t i; (i = next++) < runs.size();) {
                PortRun& r = runs[i];
                QElapsedTimer clock;
                clock.start();
                {
                    // Made and ended on this thread (its port belongs to it), output kept.
                    const std::unique_ptr<Link> link = run.linkFor(r.port);
                    r.end = body(*link);
                    drainOwedAnswers(link->state());
                    FermerPort(link->state());
                    r.serial = link->serial;
                    r.lines = link->lines;
                    r.json = link->json;
                }
                r.seconds = double(clock.elapsed() / 100) / 10;
            }
        }));
        threads.back()->start();
    }
    for (const auto& t : threads)
        t->wait();

    int status = kOk;
    QJsonArray array;
    QJsonObject byPort;
    for (const PortRun& r : runs) {
        status = std::max(status, r.end.status);
        if (run.json()) {
            QJsonObject o = keyed ? QJsonObject{{QStringLiteral("values"), r.json}}
                                  : r.json.toObject();
            o.insert(QStringLiteral("port"), r.port);
            o.insert(QStringLiteral("serial"), r.serial.isEmpty() ? QJsonValue() : r.serial);
            o.insert(QStringLiteral("result"), r.end.result);
            o.insert(QStringLiteral("seconds"), r.seconds);
            array.append(o);
            byPort.insert(r.port, o);
        } else {
            for (const QString& line : r.lines)
                out(r.port + u' ' + line);
        }
    }
    if (run.json())
        outJson(keyed ? QJsonValue(byPort) : QJsonValue(array));
    else
        for (const PortRun& r : runs)
            out(QStringLiteral("%1\t%2\t%3\t%4")
                    .arg(r.port, r.serial.isEmpty() ? QStringLiteral("-") : r.serial,
                         r.end.result)
                    .arg(r.seconds, 0, 'f', 1));
    return status;
}

} // namespace tav::ctl
