#include "ui/support/Slider.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using tav::NumericSlider;

class TestSlider : public QObject {
    Q_OBJECT

private slots:
    void programChangesRaiseNoEvent();
    void keysMoveOnTheStepGrid();
    void mouseMovesCarryTheIndex();
    void ignoredOperatorInput();
    void scaleLabels();

private:
    // A shown slider 300 px wide, 0 .. 10.
    static void show(NumericSlider& s) {
        s.resize(300, s.sizeHint().height());
        s.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s));
    }
};

void TestSlider::programChangesRaiseNoEvent() {
    NumericSlider s(2, nullptr);
    QSignalSpy spy(&s, &NumericSlider::valueChanged);
    s.setRange(0, 15.5);
    s.setValue(12.3);
    QCOMPARE(s.value(), 12.3); // kept as set, not snapped
    s.setMaximum(10);          // pulls the value inside the new range
    QCOMPARE(s.value(), 10.0);
    s.setMinimum(20); // crossing bounds push the other one
    QCOMPARE(s.maximum(), 20.0);
    QCOMPARE(s.value(), 20.0);
    s.setMaximum(-5);
    QCOMPARE(s.minimum(), -5.0);
    QCOMPARE(s.value(), -5.0);
    s.setRange(0, -10); // a reversed pair of stored bounds still spans an axis
    QCOMPARE(s.minimum(), -10.0);
    QCOMPARE(s.maximum(), 0.0);
    QCOMPARE(s.value(), -5.0);
    s.setValue(qQNaN());
    QCOMPARE(s.value(), -5.0);
    QCOMPARE(spy.size(), 0);
}

void TestSlider::keysMoveOnTheStepGrid() {
    NumericSlider s(1, nullptr);
    s.setRange(0, 1.2);
    s.setStep(0.1);
    show(s);
    QSignalSpy spy(&s, &NumericSlider::valueChanged);

    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&s, Qt::Key_Right);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.last().at(0).toInt(), 1);
    QCOMPARE(spy.last().at(1).toDouble(), 0.3); // exactly, as the box shows "0.3"
    QCOMPARE(s.value(), 0.3);

    QTest::keyClick(&s, Qt::Key_End);
    QCOMPARE(s.value(), 1.2);
    spy.clear();
    QTest::keyClick(&s, Qt::Key_Right); // already at the maximum: no event
    QCOMPARE(spy.size(), 0);

    // From a value the program set off the grid, a key goes to the neighbouring grid value.
    s.setRange(7.3, 20);
    s.setStep(0.5);
    s.setValue(7.33);
    QTest::keyClick(&s, Qt::Key_Right);
    QCOMPARE(s.value(), 7.5);
    s.setValue(7.33);
    QTest::keyClick(&s, Qt::Key_Left);
    QCOMPARE(s.value(), 7.3); // 7.0 lies below the minimum
    QTest::keyClick(&s, Qt::Key_Home);
    QCOMPARE(spy.size(), 2); // the two moves above; Home at the minimum changes nothing
}

void TestSlider::mouseMovesCarryTheIndex() {
    NumericSlider s(3, nullptr);
    s.setRange(0, 10);
    s.setStep(0.5);
    show(s);
    QSignalSpy spy(&s, &NumericSlider::valueChanged);
    const int y = 10; // through the pointer's row

    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() - 1, y));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 3);
    QCOMPARE(s.value(), 10.0);

    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() / 2, y));
    QCOMPARE(spy.size(), 2);
    const double middle = s.value();
    QVERIFY(middle > 3 && middle < 7);
    QCOMPARE(middle, std::round(middle * 2) / 2); // on the 0.5 grid

    // Dragging the pointer to the left end reaches the minimum.
    QTest::mousePress(&s, Qt::LeftButton, {}, QPoint(s.width() / 2, y));
    QTest::mouseMove(&s, QPoint(0, y));
    QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint(0, y));
    QCOMPARE(s.value(), 0.0);
    QCOMPARE(spy.last().at(1).toDouble(), 0.0);
}

void TestSlider::ignoredOperatorInput() {
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
    QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(s.width() - 1, 10));
    s.setEnabled(true);
    QCOMPARE(spy.size(), 0);
    QCOMPARE(s.value(), 0.0);

    // The wheel moves only a focused slider.
    s.clearFocus();
    QWheelEvent wheel(QPointF(50, 10), s.mapToGlobal(QPointF(50, 10)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&s, &wheel);
    QCOMPARE(spy.size(), 0);
    s.setFocus();
    QWheelEvent again(QPointF(50, 10), s.mapToGlobal(QPointF(50, 10)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&s, &again);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(s.value(), 1.0);
}

void TestSlider::scaleLabels() {
    // Ten divisions of 0 .. 15.5 and one per ampere; the widget must paint without trouble at
    // any size, including a degenerate range.
    NumericSlider s;
    s.setRange(0, 15.5);
    s.setMajorDivisions(10);
    show(s);
    QVERIFY(!s.grab().isNull());
    s.setRange(0, 2.5);
    s.setMajorDivisions(2);
    s.setRange(4, 4);
    s.resize(10, 10);
    QVERIFY(!s.grab().isNull());
    s.setMajorDivisions(0);
    QCOMPARE(s.majorDivisions(), 1);
    s.setOrientation(Qt::Vertical);
    s.resize(s.sizeHint());
    QVERIFY(!s.grab().isNull());
}

QTEST_MAIN(TestSlider)
#include "test_slider.moc"
