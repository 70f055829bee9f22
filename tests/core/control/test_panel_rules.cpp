#include "core/control/PanelRules.h"

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
        QTest::addColumn<bool>("alarm");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("lamps");
        QTest::newRow("alarm bit 1, bit 0 never shown") << true << "00000011"
                                                        << "1000000";
        QTest::newRow("alarm bit 7 is the first char") << true << "10000000"
                                                       << "0000001";
        QTest::newRow("alarm short answer") << true << "110"
                                            << "11-----";
        QTest::newRow("alarm one char") << true << "1"
                                        << "-------";
        QTest::newRow("alarm longer: last eight") << true << "1100000010"
                                                  << "1000000";
        QTest::newRow("alarm not 0/1 reads clear") << true << "0000x010"
                                                   << "1000000";
        QTest::newRow("warning bit 0") << false << "00000001"
                                       << "1000---";
        QTest::newRow("warning bit 3") << false << "00001000"
                                       << "0001---";
        QTest::newRow("warning upper four unused") << false << "11110000"
                                                   << "0000---";
        QTest::newRow("warning short answer shifts up") << false << "00001"
                                                        << "---1000";
        QTest::newRow("warning empty") << false << ""
                                       << "-------";
    }
    void lamps() {
        QFETCH(bool, alarm);
        QFETCH(QString, answer);
        QFETCH(QString, lamps);
        QCOMPARE(states(alarm ? decodeAlarms(answer) : decodeWarnings(answer)), lamps);
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
        for (const char* t : {"12", " 0.5 ", "-3", "+4.", ".5", "1E-2"})
            QVERIFY2(isNumericText(QString::fromLatin1(t)), t);
        for (const char* t : {"", "abc", "12a", "1,5", ".", "-", "1e", "1.2.3", "1e999"})
            QVERIFY2(!isNumericText(QString::fromLatin1(t)), t);
        QVERIFY(!isNumericText(QString(400, u'9'))); // out of range of a double
    }

    void modesTabsAndDivisors() {
        const QList<std::optional<int>> modes{2, 1, 4, 3, std::nullopt}; // APC ACC AAPC AACC thr.
        for (int tab = 0; tab < 5; ++tab)
            QCOMPARE(modeOfTab(tab), modes[tab]);
        const QList<std::optional<int>> tabs{std::nullopt, 1, 0, 3, 2, std::nullopt};
        for (int mode = 0; mode < 6; ++mode)
            QCOMPARE(tabOfMode(mode), tabs[mode]);
        // Power tabs: row 0 the power (/10), row 1 the current (/1000); current tabs swap; the
        // thresholds tab leaves both rows alone.
        QCOMPARE(readingDivisor(0, 0), std::optional<int>(10));
        QCOMPARE(readingDivisor(1, 2), std::optional<int>(1000));
        QCOMPARE(readingDivisor(0, 3), std::optional<int>(1000));
        QCOMPARE(readingDivisor(1, 1), std::optional<int>(10));
        QVERIFY(!readingDivisor(0, 4) && !readingDivisor(1, 4));
        QCOMPARE(readingDivisor(3, 4), std::optional<int>(10));
    }

    void powerLimit() {
        QCOMPARE(outputPowerMaximum(15, 20.0), 15.5);
        QCOMPARE(outputPowerMaximum(15, 13.0), 13.5);
        QCOMPARE(outputPowerMaximum(15, std::nullopt), 15.5);
        QVERIFY(!answerValue(""));
        QCOMPARE(answerValue("150"), std::optional<double>(150));
    }
};

QTEST_GUILESS_MAIN(TestPanelRules)
#include "test_panel_rules.moc"
