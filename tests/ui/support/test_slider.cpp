#include "ui/support/Slider.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using tav::NumericSlider;

class TestSlider : public QObject {
    Q_OBJECT

    // A shown slider 300 px wide.
    static void show(NumericSlider& s) {
        s.resize(300, s.sizeHint().height());
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
    }

private slots:
    void programChangesRaiseNoEvent() {
        NumericSlider s(2, nullptr);
        QSignalSpy spy(&s, &NumericSlider::valueChanged);
        s.setRange(0, 15.5);
        s.setValue(12.3);
        QCOMPARE(s.value(), 12.3); // kept as set, not snapped
        s.setMaximum(10);          // pulls the value inside the new range
        QCOMPARE(s.value(), 10.0);
        s.setMinimum(20); // crossing bounds push the other one
        QCOMPARE(s.maximum(), 20.0);
        s.setRange(0, -10); // a reversed pair of stored bounds still spans an axis
        QCOMPARE(s.minimum(), -10.0);
        QCOMPARE(s.maximum(), 0.0);
        s.setValue(-5);
        s.setValue(qQNaN());
        QCOMPARE(s.value(), -5.0);
        QCOMPARE(spy.size(), 0);
    }

    void operatorMovesOnTheStepGrid() {
        NumericSlider s(1, nullptr);
        s.setRange(0, 1.2);
        s.setStep(0.1);
        show(s);
        QSignalSpy spy(&s, &NumericSlider::valueChanged);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy.last().at(0).toInt(), 1);      // the slider's index
        QCOMPARE(spy.last().at(1).toDouble(), 0.3); // exactly, as the box shows "0.3"
        QTest::keyClick(&s, Qt::Key_End);
        QTest::keyClick(&s, Qt::Key_Right); // already at the maximum: no event
        QCOMPARE(spy.size(), 4);

        // From a value the program set off the grid, a key goes to the neighbouring grid value.
        s.setRange(7.3, 20);
        s.setStep(0.5);
        s.setValue(7.33);
        QTest::keyClick(&s, Qt::Key_Right);
        QCOMPARE(s.value(), 7.5);
        s.setValue(7.33);
        QTest::keyClick(&s, Qt::Key_Left);
        QCOMPARE(s.value(), 7.3); // 7.0 lies below the minimum

        // The mouse: a click at the right end, a drag to the left end.
        s.setRange(0, 10);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() - 1, 10));
        QCOMPARE(s.value(), 10.0);
        QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(s.width() / 2, 10));
        QTest::mouseMove(&s, QPoint(0, 10));
        QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(0, 10));
        QCOMPARE(s.value(), 0.0);
        QCOMPARE(spy.last().at(1).toDouble(), 0.0);
    }

    void ignoredOperatorInput() {
        NumericSlider s;
        s.setRange(0, 10);
        s.setStep(1);
        show(s);
        QSignalSpy spy(&s, &NumericSlider::valueChanged);
        s.setReadOnly(true); // a progress gauge
        QTest::keyClick(&s, Qt::Key_Right);
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() - 1, 10));
        s.setReadOnly(false);
        s.setEnabled(false);
        QTest::keyClick(&s, Qt::Key_Right);
        s.setEnabled(true);
        QCOMPARE(spy.size(), 0);

        // The wheel moves only a focused slider.
        auto wheel = [&s] {
            QWheelEvent e(QPointF(50, 10), s.mapToGlobal(QPointF(50, 10)), {}, QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&s, &e);
        };
        s.clearFocus();
        wheel();
        QCOMPARE(spy.size(), 0);
        s.setFocus();
        wheel();
        QCOMPARE(s.value(), 1.0);
    }

    void paintsAtAnySize() {
        NumericSlider s;
        s.setRange(4, 4);
        s.setMajorDivisions(0);
        QCOMPARE(s.majorDivisions(), 1);
        s.resize(10, 10);
        QVERIFY(!s.grab().isNull());
        s.setOrientation(Qt::Vertical);
        s.resize(s.sizeHint());
        QVERIFY(!s.grab().isNull());
    }
};

QTEST_MAIN(TestSlider)
#include "test_slider.moc"
