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
    void alarmBits_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("lamps");
        QTest::newRow("bit 1 only, bit 0 ignored") << "00000010"
                                                   << "1000000";
        QTest::newRow("bit 0 is never shown") << "00000001"
                                              << "0000000";
        QTest::newRow("bit 7 is the first char") << "10000000"
                                                 << "0000001";
        QTest::newRow("all set") << "11111111"
                                 << "1111111";
        QTest::newRow("short answers address low lamps") << "110"
                                                         << "11-----";
        QTest::newRow("one char changes nothing") << "1"
                                                  << "-------";
        QTest::newRow("empty changes nothing") << ""
                                               << "-------";
        QTest::newRow("longer: last eight used") << "1100000010"
                                                 << "1000000";
        QTest::newRow("not 0/1 reads clear") << "0000x010"
                                             << "1000000";
    }
    void alarmBits() {
        QFETCH(QString, answer);
        QFETCH(QString, lamps);
        QCOMPARE(states(decodeAlarms(answer)), lamps);
    }

    void warningBits_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("lamps");
        QTest::newRow("bit 0 only") << "00000001"
                                    << "1000---";
        QTest::newRow("bit 3") << "00001000"
                               << "0001---";
        QTest::newRow("upper four chars never used") << "11110000"
                                                     << "0000---";
        QTest::newRow("longer: last eight used") << "1100000001"
                                                 << "1000---";
        QTest::newRow("short answer shifts up") << "00001"
                                                << "---1000";
        QTest::newRow("four chars: no lamp 7") << "0001"
                                               << "----100";
        QTest::newRow("empty changes nothing") << ""
                                               << "-------";
    }
    void warningBits() {
        QFETCH(QString, answer);
        QFETCH(QString, lamps);
        QCOMPARE(states(decodeWarnings(answer)), lamps);
    }

    void formatsAndNumbers() {
        QCOMPARE(formatChannel(0, 12), QStringLiteral("12.0"));
        QCOMPARE(formatChannel(1, 0.5), QStringLiteral("0.50"));
        QCOMPARE(formatChannel(3, 15.55), QStringLiteral("15.6"));
        QCOMPARE(formatFixed(12.25, 1), QStringLiteral("12.2")); // half to even
        QCOMPARE(formatFixed(12.35, 1), QStringLiteral("12.4"));
        QCOMPARE(formatFixed(-0.04, 1), QStringLiteral("0.0"));
        QCOMPARE(formatFixed(-3.26, 1), QStringLiteral("-3.3"));
        QCOMPARE(plainNumber(120), QStringLiteral("120"));
        QCOMPARE(plainNumber(0.07 * 1000), QStringLiteral("70"));
        QCOMPARE(plainNumber(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(plainNumber(-12.5), QStringLiteral("-12.5"));
        QCOMPARE(plainNumber(0.00001), QStringLiteral("0.00001"));
        QCOMPARE(plainNumber(-0.0), QStringLiteral("0"));
        QCOMPARE(setPointCommand("SOP", "12.0", 10), QStringLiteral("SOP=120"));
        QCOMPARE(setPointCommand("SDC", "0.50", 1000), QStringLiteral("SDC=500"));
        QCOMPARE(setPointCommand("IPT", "-7.5", 10), QStringLiteral("IPT=-75"));
        QCOMPARE(setPointCommand("SOP", "12.34", 10), QStringLiteral("SOP=123.4"));
    }

    void numericText() {
        for (const char* t : {"12", " 0.5 ", "-3", "+4.", ".5", "1e2", "1E-2"})
            QVERIFY2(isNumericText(QString::fromLatin1(t)), t);
        for (const char* t : {"", " ", "abc", "12a", "1,5", ".", "-", "1e", "e2", "1.2.3", "1e999"})
            QVERIFY2(!isNumericText(QString::fromLatin1(t)), t);
        // Out of range of a double: would read as 0 and send the minimum.
        QVERIFY(!isNumericText(QString(400, u'9')));
    }

    void readingDivisorsFollowTheMode() {
        // Power tabs: row 0 is the power (/10), row 1 the current (/1000); current tabs swap;
        // the thresholds tab leaves both rows alone.
        QCOMPARE(readingDivisor(0, 2), std::optional<int>(10));
        QCOMPARE(readingDivisor(1, 2), std::optional<int>(1000));
        QCOMPARE(readingDivisor(0, 3), std::optional<int>(1000));
        QCOMPARE(readingDivisor(1, 1), std::optional<int>(10));
        QVERIFY(!readingDivisor(0, 4));
        QVERIFY(!readingDivisor(1, 4));
        QCOMPARE(readingDivisor(3, 4), std::optional<int>(10));
        for (int tab = 0; tab < 4; ++tab)
            QCOMPARE(tabOfMode(*modeOfTab(tab)), std::optional<int>(tab));
        QVERIFY(!modeOfTab(4));
    }

    void powerLimit() {
        // OPM? 150 with eye safety: limit 15 dBm, maximum 15.5, unless the nominal power is lower.
        QCOMPARE(outputPowerMaximum(15, 20.0), 15.5);
        QCOMPARE(outputPowerMaximum(15, 13.0), 13.5);
        // No nominal power (empty answer): the limit alone decides.
        QCOMPARE(outputPowerMaximum(15, std::nullopt), 15.5);
        QVERIFY(!answerValue(""));
        QCOMPARE(answerValue("150"), std::optional<double>(150));
    }
};

QTEST_GUILESS_MAIN(TestPanelRules)
#include "test_panel_rules.moc"
