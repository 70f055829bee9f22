// tavoemctl monitor end to end: three simulated boards, the monitor, and a real Prometheus
// scraping it, asked through its query API.
#include "model/BoardModel.h"
#include "support/Files.h"
#include "support/Pty.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTcpServer>
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
    // Waits (up to a minute) until `expr` gives `expected`; false showing the last answer.
    bool expect(const QString& expr, const QMap<QString, double>& expected) {
        QMap<QString, double> got;
        for (QDeadlineTimer t(60000); !t.hasExpired() && (got = query(expr)) != expected;)
            QTest::qWait(500);
        if (got != expected)
            qWarning() << expr << "gives" << got;
        return got == expected;
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
            QVERIFY(sims_[i].start({"--no-noise", "--serial", QStringLiteral("RACK-%1").arg(i),
                                    "--link", ports.last()}));
        }
        monitor_.start(qEnvironmentVariable("TAVOEMCTL_BIN"),
                       QStringList{"monitor", "--program-dir", dir_.filePath("program"),
                                   "--period", "1", "--listen", "127.0.0.1:0"} + ports);
        QVERIFY(monitor_.waitForReadyRead(15000));
        const QUrl metrics(QString::fromLocal8Bit(monitor_.readLine()).trimmed());
        QVERIFY2(metrics.port() > 0, qPrintable(metrics.toString()));
        // A free loopback port for Prometheus: taken, then left for it.
        QTcpServer free;
        QVERIFY(free.listen(QHostAddress::LocalHost, 0));
        server_ = QStringLiteral("http://127.0.0.1:%1").arg(free.serverPort());
        free.close();
        QVERIFY(test::writeBytes(dir_.filePath("prometheus.yml"),
                                 "global: {scrape_interval: 1s}\nscrape_configs:\n"
                                 "  - job_name: tav\n    static_configs: [{targets: ['" +
                                     metrics.authority().toLatin1() + "']}]\n"));
        prometheus_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        prometheus_.start(server, {"--config.file=" + dir_.filePath("prometheus.yml"),
                                   "--storage.tsdb.path=" + dir_.filePath("data"),
                                   "--web.listen-address=" + server_.mid(7)});
        QVERIFY(prometheus_.waitForStarted());
    }

    // Every board's output power with its serial number; a pulled adapter goes down alone and
    // comes back.
    void scrapedByPrometheus() {
        sim::BoardModel model;
        model.setNoiseEnabled(false);
        const double out = std::round(model.outputPower() * 10) / 10;
        const QMap<QString, double> allUp{{"RACK-0", 1}, {"RACK-1", 1}, {"RACK-2", 1}};
        QVERIFY(expect("tav_output_power_dbm", {{"RACK-0", out}, {"RACK-1", out}, {"RACK-2", out}}));
        QVERIFY(expect("tav_board_up", allUp));
        QCOMPARE(sims_[1].command("unplug"), QStringLiteral("unplugged"));
        QVERIFY(expect("tav_board_up", {{"RACK-0", 1}, {"RACK-1", 0}, {"RACK-2", 1}}));
        QVERIFY(sims_[1].command("replug").startsWith(u'/'));
        QVERIFY(expect("tav_board_up", allUp));
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
