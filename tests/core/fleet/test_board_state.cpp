// A board's row made into metric samples: scaling (the readings the simulated board leaves at 0
// here; the others against it in test_monitor), absent values, alarm and warning bits.
#include "core/fleet/BoardState.h"
#include "core/fleet/PortWatch.h"
#include "core/fleet/PortWorker.h"
#include "support/Columns.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tav;

namespace {

// The value of the series of `family` whose labels hold `label`, or nothing.
std::optional<double> sample(const std::vector<SampleFamily>& fs, const QString& family,
                             const QString& label = {}) {
    for (const SampleFamily& f : fs)
        for (const Sample& s : f.samples)
            if (f.name == family && (label.isEmpty() || std::ranges::any_of(s.labels, [&](auto& l) {
                                         return l.second == label;
                                     })))
                return s.value;
    return std::nullopt;
}

} // namespace

class TestBoardState : public QObject {
    Q_OBJECT
private slots:
    void row_data() {
        // answers: MNE=value, a read left out had no answer; value NaN: no such series
        test::columns<QStringList, QString, QString, double>(
            {"answers", "family", "label", "value"});
        const double none = qQNaN();
        const QStringList all{"IPW=-31", "OPW=123", "PS2=-45", "ID1=250", "LDT=27", "CAT=31",
                              "ALA=01000011", "LDC=1500", "WAR=01110101", "STS=On"};
        QTest::newRow("PS2 in dBm") << all << "tav_output_power_phs2_dbm" << "" << -4.5;
        QTest::newRow("ID1 in A") << all << "tav_diode1_current_amperes" << "" << 0.25;
        QTest::newRow("LDC in A") << all << "tav_laser_diode_current_amperes" << "" << 1.5;
        QTest::newRow("xxx is absent") << QStringList{"PS2=xxx"} << "tav_output_power_phs2_dbm" << "" << none;
        QTest::newRow("alarm bit 1") << all << "tav_alarm" << "Loss of Output Power" << 1.0;
        QTest::newRow("alarm bit 2") << all << "tav_alarm" << "Loss of Input Power" << 0.0;
        QTest::newRow("warning bit 0") << all << "tav_warning" << "Output Power too low in APC mode"
                                       << 1.0;
        QTest::newRow("warning bit 1") << all << "tav_warning" << "Output Power too low in ACC mode"
                                       << 0.0;
        QTest::newRow("warning bits 4-6 not exported") << all << "tav_warning" << "Not used" << none;
        QTest::newRow("ALA=xxx: no bit") << QStringList{"ALA=xxx"} << "tav_alarm" << "" << none;
        QTest::newRow("WAR not bits") << QStringList{"WAR=-0001"} << "tav_warning" << "" << none;
        QTest::newRow("complete row has an age") << all << "tav_last_row_age_seconds" << "" << 2.0;
        QTest::newRow("row duration") << all << "tav_last_row_duration_seconds" << "" << 0.25;
        QTest::newRow("laser ON, any case") << all << "tav_laser_on" << "" << 1.0;
        QTest::newRow("laser OFF") << QStringList{"STS=OFF"} << "tav_laser_on" << "" << 0.0;
        for (const char* sts : {"STS=XXX", "STS=O\x01N", "OPW=123"})
            QTest::newRow(sts) << QStringList{sts} << "tav_laser_on" << "" << none;
        QTest::newRow("up") << all << "tav_board_up" << "" << 1.0;
        QTest::newRow("one answer: up") << QStringList{"OPW=123"} << "tav_board_up" << "" << 1.0;
        QTest::newRow("no answer at all: down") << QStringList{} << "tav_board_up" << "" << 0.0;
        QTest::newRow("unanswered is absent") << QStringList{"OPW=123"} << "tav_input_power_dbm"
                                              << "" << none;
        QTest::newRow("incomplete row has no age") << QStringList{"OPW=123"}
                                                   << "tav_last_row_age_seconds" << "" << none;
        QTest::newRow("time-outs counted") << QStringList{"OPW=123"} << "tav_timeouts_total" << ""
                                           << 9.0;
    }
    void row() {
        QHash<QString, QString> a;
        for (const QString& x : test::fetch<QStringList>("answers"))
            a.insert(x.section(u'=', 0, 0), x.section(u'=', 1));
        BoardState b;
        applyRow(b, a, int(monitorReads().size() - a.size()), 750, 1000);
        const auto fs = fleetSamples({b}, defaultBitCaptions(), 3000);
        QFETCH(double, value);
        const auto got = sample(fs, test::fetch<QString>("family"), test::fetch<QString>("label"));
        QCOMPARE(got.has_value(), !qIsNaN(value));
        if (got)
            QCOMPARE(*got, value);
    }

    // The text format: HELP and TYPE, label values escaped, values in their shortest exact form.
    void expositionText() {
        const std::vector<SampleFamily> f{{"a_total", "Help \\ of\nA.", true, {{{{"p", "x\"y\\z\n"}, {"q", "é"}}, 82.856}}},
                                          {"b", "B.", false, {{{}, 0.009}, {{}, 1}, {{}, qInf()}}}};
        QCOMPARE(QString::fromStdString(exposition(f)),
                 "# HELP a_total Help \\\\ of\\nA.\n# TYPE a_total counter\na_total{p=\"x\\\"y\\\\z\\n\",q=\"é\"} 82.856\n"
                 "# HELP b B.\n# TYPE b gauge\nb 0.009\nb 1\nb +Inf\n");
    }

    // Patterns match character devices only, each device once and none given by name; a port
    // gone is kept until it has been gone the time given, and one back in time stays.
    void portWatch() {
        QTemporaryDir d;
        for (const char* l : {"a1", "a2", "a3"})
            QVERIFY(QFile::link("/dev/null", d.filePath(l)));
        QVERIFY(QFile::link(d.filePath("nowhere"), d.filePath("a4")) && QFile(d.filePath("a5")).open(QIODevice::WriteOnly));
        QCOMPARE(matchPorts({d.filePath("a[2-5]"), d.filePath("a*")}), QStringList{d.filePath("a2")});
        QCOMPARE(matchPorts({d.filePath("a*")}, {d.filePath("a3")}), QStringList{});
        QVERIFY(isPortPattern("ttyUSB?") && !isPortPattern("/dev/ttyUSB0"));
        PortWatch w(1000);
        QCOMPARE(w.update({"p", "q"}, 0).added, QStringList({"p", "q"}));
        for (const auto& [now, matches, forgotten] : {std::tuple{500, QStringList{}, QStringList{}},
                                                       {900, {"q"}, {}}, {1499, {}, {}}, {1500, {}, {"p"}}, {2500, {}, {"q"}}}) {
            const PortWatch::Change c = w.update(matches, now);
            QVERIFY(c.added.isEmpty());
            QCOMPARE(c.forgotten, forgotten);
        }
        QCOMPARE(w.update({"p"}, 3000).added, QStringList{"p"});
    }

    void portsFile() {
        QCOMPARE(portsFromText("/dev/ttyUSB0\r\n# spare\n\n  racks/b1  # rack 2\nCOM3", "/etc/tav"),
                 QStringList({"/dev/ttyUSB0", "/etc/tav/racks/b1", "COM3"})); // relative: to the file
    }
};

QTEST_GUILESS_MAIN(TestBoardState)
#include "test_board_state.moc"
