// tavoemctl monitor end to end: three simulated boards, the monitor's exposition read directly,
// and a real Prometheus scraping it, asked through its query API.
#include "model/BoardModel.h"
#include "support/Files.h"
#include "support/Pty.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace tav;

class TestMonitor : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    test::SimProcess sims_[3];
    QProcess monitor_, prometheus_;
    QString promtool_, server_;
    QUrl metrics_;

    // serial -> value of every series of `expr`, as Prometheus answers now.
    QMap<QString, double> query(const QString& expr) {
        QProcess p;
        p.start(promtool_, {"query", "instant", "-o", "json", server_, expr});
        p.waitForFinished(10000);
        QMap<QString, double> series;
        for (const QJsonValue v : QJsonDocument::fromJson(p.readAllStandardOutput()).array())
            series[v["metric"]["serial"].toString()] = v["value"][1].toString().toDouble();
        return series;
    }
    // The monitor's exposition now, one line each.
    QStringList scrape() {
        QTcpSocket s;
        s.connectToHost(metrics_.host(), quint16(metrics_.port()));
        s.write("GET /metrics HTTP/1.0\r\n\r\n");
        while (s.state() != QAbstractSocket::UnconnectedState && s.waitForReadyRead(10000)) {}
        return QString::fromUtf8(s.readAll()).split(u'\n');
    }
    // The value of the series of `name` whose labels hold each of `labels`; NaN when none.
    static double value(const QStringList& lines, const QString& name, const QStringList& labels) {
        for (const QString& l : lines)
            if (l.startsWith(name + u'{') && std::ranges::all_of(labels, [&](auto& x) { return l.contains(x); }))
                return l.section(u' ', -1).toDouble();
        return qQNaN();
    }
    // Scrapes until the board on `port` is `up`; how far `counter` went from `before` by then.
    double until(const QString& port, bool up, const QStringList& before, const QString& counter) {
        QStringList now;
        for (QDeadlineTimer t(90000); !t.hasExpired() && value(now = scrape(), "tav_board_up", {port}) != up;)
            QTest::qWait(20);
        return value(now, counter, {port}) - value(before, counter, {port});
    }

private slots:
    void initTestCase() {
        // Missing packages fail the test: it never skips.
        const QString server = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
        promtool_ = QStandardPaths::findExecutable(QStringLiteral("promtool"));
        QVERIFY2(!server.isEmpty() && !promtool_.isEmpty(),
                 "prometheus and promtool are needed: install the Debian package prometheus");
        QStringList ports;
        for (int i = 0; i < 3; ++i) {
            ports << "--port" << dir_.filePath(QStringLiteral("board%1").arg(i));
            QVERIFY(sims_[i].start({"--no-noise", "--pin=-12.3", "--case=31", "--serial",
                                    QStringLiteral("RACK-%1").arg(i), "--link", ports.last()}));
        }
        monitor_.start(qEnvironmentVariable("TAVOEMCTL_BIN"),
                       QStringList{"monitor", "--program-dir", dir_.filePath("program"),
                                   "--period", "1", "--timeout", "100", "--listen", "127.0.0.1:0"} +
                           ports);
        QVERIFY(monitor_.waitForReadyRead(15000));
        metrics_ = QUrl(QString::fromLocal8Bit(monitor_.readLine()).trimmed());
        QVERIFY2(metrics_.port() > 0, qPrintable(metrics_.toString()));
        // A free loopback port for Prometheus: taken, then left for it.
        QTcpServer free;
        QVERIFY(free.listen(QHostAddress::LocalHost, 0));
        server_ = QStringLiteral("http://127.0.0.1:%1").arg(free.serverPort());
        free.close();
        QVERIFY(test::writeBytes(dir_.filePath("prometheus.yml"),
                                 "global: {scrape_interval: 1s}\nscrape_configs:\n"
                                 "  - job_name: tav\n    static_configs: [{targets: ['" +
                                     metrics_.authority().toLatin1() + "']}]\n"));
        prometheus_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        prometheus_.start(server, {"--config.file=" + dir_.filePath("prometheus.yml"),
                                   "--storage.tsdb.path=" + dir_.filePath("data"),
                                   "--web.listen-address=" + server_.mid(7)});
        QVERIFY(prometheus_.waitForStarted());
    }

    // Every reading in its unit against the board's state; counters typed as counters, the rest
    // as gauges; serial and version as labels. Prometheus gets every board's output power.
    void exposition() {
        sim::BoardModel model;
        model.setNoiseEnabled(false);
        model.setInputPower(-12.3);
        model.setCaseTemperature(31);
        QTRY_VERIFY_WITH_TIMEOUT(!qIsNaN(value(scrape(), "tav_case_temperature_celsius", {"RACK-2"})), 30000);
        const QStringList m = scrape();
        for (const auto& [name, expected] :
             {std::pair{"tav_input_power_dbm", model.inputPower()}, {"tav_output_power_dbm", model.outputPower()},
              {"tav_case_temperature_celsius", 31.0}, {"tav_laser_diode_temperature_celsius", model.diodeTemperature()}})
            QVERIFY2(qAbs(value(m, name, {"RACK-2"}) - expected) <= 0.05, name);
        for (const QString& type : m.filter("# TYPE tav_"))
            QCOMPARE(type.section(u' ', 3), QString(type.section(u' ', 2, 2).endsWith("_total") ? "counter" : "gauge"));
        for (const char* counter : {"exchanges", "timeouts", "reconnections", "late_answers"})
            QVERIFY(m.contains(QStringLiteral("# TYPE tav_%1_total counter").arg(counter)));
        QCOMPARE(value(m, "tav_board_info", {"serial=\"RACK-1\"", "version=\"" + model.version() + u'"'}), 1.0);
        const double out = std::round(model.outputPower() * 10) / 10;
        QTRY_COMPARE_WITH_TIMEOUT(query("tav_output_power_dbm"),
                                  (QMap<QString, double>{{"RACK-0", out}, {"RACK-1", out}, {"RACK-2", out}}), 60000);
    }

    // Counted in rows through the counters: a pulled adapter is down at the first row after the
    // pull (a row in progress may still have had answers) and up at the first after its return,
    // a silent board down after one row without any answer. A board's first identification is
    // no reconnection; a loss and its return is one.
    void downAndBack() {
        const QString pulled = dir_.filePath("board1"), silent = dir_.filePath("board2");
        QStringList before = scrape();
        QCOMPARE(value(before, "tav_reconnections_total", {pulled}), 0.0);
        QCOMPARE(sims_[1].command("unplug"), QStringLiteral("unplugged"));
        QVERIFY(until(pulled, false, before, "tav_timeouts_total") <= 9 + 10);
        before = scrape(); // a few identifications fail meanwhile
        QTRY_VERIFY_WITH_TIMEOUT(until(pulled, false, before, "tav_timeouts_total") >= 3, 30000);
        before = scrape();
        QVERIFY(sims_[1].command("replug").startsWith(u'/'));
        QVERIFY(until(pulled, true, before, "tav_exchanges_total") <= 1 + 2 + 10);
        QCOMPARE(value(scrape(), "tav_reconnections_total", {pulled}), 1.0);
        before = scrape();
        ::kill(pid_t(sims_[2].process().processId()), SIGSTOP);
        const double timeouts = until(silent, false, before, "tav_timeouts_total");
        ::kill(pid_t(sims_[2].process().processId()), SIGCONT);
        QVERIFY2(timeouts <= 9 + 10, qPrintable(QString::number(timeouts)));
    }

    // SIGTERM stops the monitor cleanly.
    void cleanStop() {
        ::kill(pid_t(monitor_.processId()), SIGTERM);
        QVERIFY(monitor_.waitForFinished(15000));
        QCOMPARE(monitor_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor_.exitCode(), 0);
    }

    void cleanupTestCase() {
        for (QProcess* p : {&monitor_, &prometheus_})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                p->waitForFinished(10000);
            }
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
