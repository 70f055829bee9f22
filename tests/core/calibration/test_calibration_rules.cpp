#include "core/calibration/Calibration.h"
#include "support/Columns.h"

#include <QtTest>

using namespace tav;

class TestCalibrationRules : public QObject {
    Q_OBJECT
private slots:
    void tenths_data() {
        test::columns<QString, int>({"text", "tenths"}); // tenths -99999: refused
        QTest::newRow("half to even down") << "12.25" << 122;
        QTest::newRow("half to even, negative") << "-3.15" << -32;
        QTest::newRow("half to even up") << "0.35" << 4;
        QTest::newRow("plain") << "-12.34" << -123;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("top of range") << "3276.7" << 32767;
        QTest::newRow("bottom of range") << "-3276.8" << -32768;
        QTest::newRow("tie rounds back into range") << "-3276.85" << -32768;
        QTest::newRow("above range") << "3276.75" << -99999;
        QTest::newRow("far below range") << "-5000" << -99999;
    }
    void tenths() {
        QFETCH(int, tenths);
        const std::optional<qint16> t = tenthsOf(test::fetch<QString>("text"));
        if (tenths == -99999)
            QVERIFY(!t);
        else
            QCOMPARE(t.value_or(-1), qint16(tenths));
    }

    // Failure messages and the references check are covered through the calibration window.
    void tenthsTexts() {
        QCOMPARE(tenthsText("123"), QStringLiteral("12.3"));
        QCOMPARE(tenthsText("-300"), QStringLiteral("-30"));
        QCOMPARE(tenthsText("xXx") + tenthsText("12a") + adText("ERR/UNKNOWN"), "XXX");
    }
};

QTEST_APPLESS_MAIN(TestCalibrationRules)
#include "test_calibration_rules.moc"
