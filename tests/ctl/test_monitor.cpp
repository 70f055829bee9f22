// tavoemctl monitor end to end: three simulated boards and the monitor's exposition read
// directly (Prometheus, Alertmanager and the dashboard on it: monitor_alerting.py).
#include "model/BoardModel.h"
#include "support/Files.h"
#include "support/Pty.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace tav;

class TestMonitor : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    test::SimProcess sims_[3];
    QProcess monitor_;
    QUrl metrics_;

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
    // Scrapes until the board on `port` is `up`; how far `counter` of `on` (default: that
    // port) went from `before` by then.
    double until(const QString& port, bool up, const QStringList& before, const QString& counter, QString on = {}) {
        QStringList now;
        for (QDeadlineTimer t(90000); !t.hasExpired() && value(now = scrape(), "tav_board_up", {port}) != up;)
            QTest::qWait(20);
        on = on.isEmpty() ? port : on;
        return value(now, counter, {on}) - value(before, counter, {on});
    }

private slots:
    void initTestCase() {
        QStringList ports;
        for (int i = 0; i < 3; ++i) {
            ports << "--port" << dir_.filePath(QStringLiteral("board%1").arg(i));
            QVERIFY(sims_[i].start({"--no-noise", "--pin=-12.3", "--case=31", "--serial",
                                    QStringLiteral("RACK-%1").arg(i), "--link", ports.last()}));
        }
        monitor_.start(qEnvironmentVariable("TAVOEMCTL_BIN"),
                       QStringList{"monitor", "--program-dir", dir_.filePath("program"),
                                   "--period", "1", "--timeout", "100", "--listen", "127.0.0.1:0",
                                   "--ports-glob", dir_.filePath("plug*"), "--forget", "5"} +
                           ports + QStringList{"--port", dir_.filePath("missing")});
        QVERIFY(monitor_.waitForReadyRead(15000));
        metrics_ = QUrl(QString::fromLocal8Bit(monitor_.readLine()).trimmed());
        QVERIFY2(metrics_.port() > 0, qPrintable(metrics_.toString()));
    }

    // Every reading in its unit against the board's state; counters typed as counters, the rest
    // as gauges; serial and version as labels; the laser off.
    void exposition() {
        sim::BoardModel model;
        model.setNoiseEnabled(false);
        model.setInputPower(-12.3);
        model.setCaseTemperature(31);
        QTRY_VERIFY_WITH_TIMEOUT(!qIsNaN(value(scrape(), "tav_case_temperature_celsius", {"RACK-2"})), 30000);
        const QStringList m = scrape();
        for (const auto& [name, expected] :
             {std::pair{"tav_input_power_dbm", model.inputPower()}, {"tav_output_power_dbm", model.outputPower()},
              {"tav_case_temperature_celsius", 31.0}, {"tav_laser_diode_temperature_celsius", model.diodeTemperature()}, {"tav_laser_on", 0.0}})
            QVERIFY2(qAbs(value(m, name, {"RACK-2"}) - expected) <= 0.05, name);
        for (const QString& type : m.filter("# TYPE tav_"))
            QCOMPARE(type.section(u' ', 3), QString(type.section(u' ', 2, 2).endsWith("_total") ? "counter" : "gauge"));
        for (const char* counter : {"exchanges", "timeouts", "reconnections", "late_answers"})
            QVERIFY(m.contains(QStringLiteral("# TYPE tav_%1_total counter").arg(counter)));
        QCOMPARE(value(m, "tav_board_info", {"serial=\"RACK-1\"", "version=\"" + model.version() + u'"'}), 1.0);
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

    // A board plugged under a watched pattern is up by the second row after it appears (rows of
    // a board polled all along: 10 reads each), down by its own second row after it goes, and
    // its series leave after --forget.
    void portsComeAndGo() {
        test::SimProcess sim;
        const QString link = dir_.filePath("plug-a"), steady = dir_.filePath("board0");
        QStringList before = scrape();
        QVERIFY(sim.start({"--no-noise", "--serial", "PLUG-A", "--link", link}));
        const double rows = until(link, true, before, "tav_exchanges_total", steady) / 10;
        QVERIFY2(rows <= 3, qPrintable(QString::number(rows)));
        QCOMPARE(value(scrape(), "tav_board_info", {"serial=\"PLUG-A\""}), 1.0);
        before = scrape();
        QCOMPARE(sim.command("unplug"), QStringLiteral("unplugged"));
        QVERIFY(until(link, false, before, "tav_timeouts_total") <= 9 + 10);
        QTRY_VERIFY_WITH_TIMEOUT(!scrape().join(u'\n').contains(link), 15000);
        const QString said = monitor_.readAllStandardError();
        QVERIFY2(said.contains(link + ": found") && said.contains(link + ": gone for 5 s"), qPrintable(said));
        monitor_.setProperty("said", said); // for cleanStop
    }

    // Idle clients never hold the metrics: four connections that send nothing, then a scrape.
    void idleClients() {
        QTcpSocket idle[4];
        for (QTcpSocket& c : idle) {
            c.connectToHost(metrics_.host(), quint16(metrics_.port()));
            QVERIFY(c.waitForConnected(5000));
        }
        QVERIFY(scrape().contains("# TYPE tav_board_up gauge")); // not after their 30 s time-out
    }

    // A record that cannot start (its folder is a file) is tried again at each row, and resumes
    // once it can, said both times; as data here.
    void recordingResumes() {
        test::SimProcess sim;
        const QString link = dir_.filePath("rec-board"), records = dir_.filePath("records");
        QVERIFY(sim.start({"--no-noise", "--link", link}) && test::writeBytes(records, "a file"));
        QProcess m;
        m.start(qEnvironmentVariable("TAVOEMCTL_BIN"), {"monitor", "--program-dir", dir_.filePath("program"), "--period",
                "1", "--listen", "127.0.0.1:0", "--record", records, "--record-format", "data", "--port", link});
        QString said;
        QTRY_VERIFY_WITH_TIMEOUT((said += m.readAllStandardError()).contains("tried again at each row"), 30000);
        QVERIFY(QFile::remove(records));
        QTRY_VERIFY_WITH_TIMEOUT((said += m.readAllStandardError()).contains("recording resumes in " + records), 30000);
        m.terminate();
        QVERIFY(m.waitForFinished(15000) && QDir(records).entryList(QDir::Files).size() == 1);
        const QString file = QDir(records).entryInfoList(QDir::Files).value(0).filePath();
        QVERIFY2(file.endsWith(".csv") && test::fileBytes(file).startsWith("time,input_power_dbm,"), qPrintable(file));
    }

    // SIGTERM stops the monitor cleanly. A port that cannot be opened was said once, with why.
    void cleanStop() {
        const QString said = monitor_.property("said").toString() + monitor_.readAllStandardError();
        QCOMPARE(said.count(dir_.filePath("missing") + ": The serial port"), 1);
        QVERIFY2(said.contains("No such file or directory"), qPrintable(said));
        ::kill(pid_t(monitor_.processId()), SIGTERM);
        QVERIFY(monitor_.waitForFinished(15000));
        QCOMPARE(monitor_.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor_.exitCode(), 0);
    }

    void cleanupTestCase() {
        if (monitor_.state() != QProcess::NotRunning) {
            monitor_.terminate();
            monitor_.waitForFinished(10000);
        }
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "test_monitor.moc"
