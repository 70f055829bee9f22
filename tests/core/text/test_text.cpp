#include "core/text/Cp1252.h"
#include "core/text/Numbers.h"
#include "core/text/Scramble.h"
#include "support/Columns.h"

#include <QTest>

using namespace tav;

class TestText : public QObject {
    Q_OBJECT
private slots:
    void scrambleReversesAndCombines() {
        const QByteArray s = BrouillerTexte(QByteArray("ABC"));
        QCOMPARE(s.size(), 3);
        QCOMPARE(quint8(s[0]), quint8('C' ^ 229));
        QCOMPARE(BrouillerTexte(s), QByteArray("ABC"));
        // Plain ASCII scrambles into codes 128..255 only, and text survives the round trip.
        const QString scrambled = BrouillerTexte(QStringLiteral("QUILTA"));
        for (uchar c : toCp1252(scrambled))
            QVERIFY(c >= 128);
        QCOMPARE(BrouillerTexte(scrambled), QStringLiteral("QUILTA"));
    }

    void cp1252RoundTripsEveryByte() {
        QByteArray all;
        for (int c = 0; c < 256; ++c)
            all.append(char(c));
        QCOMPARE(toCp1252(fromCp1252(all)), all);
        QCOMPARE(fromCp1252(QByteArray("\x80")), QString(QChar(0x20AC)));
        QCOMPARE(toCp1252(QString(QChar(0x4E2D))), QByteArray("?"));
    }

    void leadingNumbers_data() {
        test::columns<QString, double>({"text", "value"});
        QTest::newRow("suffix") << "12.5abc" << 12.5;
        QTest::newRow("sign") << " -3.1" << -3.1;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("text") << "xxx" << 0.0;
        QTest::newRow("dot") << ".5" << 0.5;
        QTest::newRow("no exponent") << "1e3" << 1.0;
        QTest::newRow("comma") << "1,5" << 1.0;
    }
    void leadingNumbers() {
        QTEST(leadingNumber(test::fetch<QString>("text")), "value");
    }

    void roundingAndNumericText() {
        QCOMPARE(roundHalfEven(12.5), 12.0);
        QCOMPARE(roundHalfEven(13.5), 14.0);
        QCOMPARE(roundHalfEven(-2.5), -2.0);
        QCOMPARE(leadingInteger("250.5"), qint64(250));
        QCOMPARE(leadingInteger(QString(30, u'9')), std::numeric_limits<qint64>::max());
        for (const char* t : {"12", " 0.5 ", "\t-3 ", "+4.", ".5"})
            QVERIFY2(isNumericText(QString::fromLatin1(t)), t);
        for (const char* t : {"", "abc", "12a", "1,5", ".", "-", "1e5", "1E-2", "1.2.3", "1 2"})
            QVERIFY2(!isNumericText(QString::fromLatin1(t)), t);
        QVERIFY(!isNumericText(QString(400, u'9'))); // out of range of a double
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "test_text.moc"
