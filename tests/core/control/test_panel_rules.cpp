#include "core/control/PanelRules.h"
#include "support/Columns.h"

#include <QTest>

using namespace tav;

namespace {

// Lamp states as a compact text: '1' set, '0' clear, '-' untouched (lamp 0 first).
QString states(const LampStates& s) {
    QString out;
    for (const auto& b : s)
        out += !b ? u'-' : (*b ? u'1' : u'0');
    return out;
}

} // namespace

class TestPanelRules : public QObject {
    Q_OBJECT
private slots:
    void lamps_data() {
        test::columns<bool, QString, QString>({"alarm", "answer", "lamps"});
        QTest::newRow("alarm bit 1, bit 0 never shown") << true << "00000011" << "1000000";
        QTest::newRow("alarm bit 7 is the first char") << true << "10000000" << "0000001";
        QTest::newRow("alarm short answer") << true << "110" << "11-----";
        QTest::newRow("alarm one char") << true << "1" << "-------";
        QTest::newRow("alarm longer: last eight") << true << "1100000010" << "1000000";
        QTest::newRow("alarm not 0/1 reads clear") << true << "0000x010" << "1000000";
        QTest::newRow("warning bit 0") << false << "00000001" << "1000---";
        QTest::newRow("warning bit 3") << false << "00001000" << "0001---";
        QTest::newRow("warning upper four unused") << false << "11110000" << "0000---";
        QTest::newRow("warning short answer shifts up") << false << "00001" << "---1000";
        QTest::newRow("warning empty") << false << "" << "-------";
    }
    void lamps() {
        QFETCH(QString, answer);
        QTEST(states(test::fetch<bool>("alarm") ? decodeAlarms(answer) : decodeWarnings(answer)), "lamps");
    }

    void formatsAndNumbers() {
        QCOMPARE(formatChannel(1, 0.5), QStringLiteral("0.50"));
        QCOMPARE(formatChannel(3, 15.55), QStringLiteral("15.6"));
        QCOMPARE(formatFixed(12.25, 1), QStringLiteral("12.2")); // half to even
        QCOMPARE(formatFixed(-0.04, 1), QStringLiteral("0.0"));
        QCOMPARE(plainNumber(0.07 * 1000), QStringLiteral("70"));
        QCOMPARE(plainNumber(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(plainNumber(0.00001), QStringLiteral("0.00001"));
        QCOMPARE(plainNumber(-0.0), QStringLiteral("0"));
        QCOMPARE(setPointCommand("IPT", "-7.5", 10), QStringLiteral("IPT=-75"));
        QCOMPARE(setPointCommand("SOP", "12.34", 10), QStringLiteral("SOP=123.4"));
    }
};

QTEST_GUILESS_MAIN(TestPanelRules)
#include "test_panel_rules.moc"
