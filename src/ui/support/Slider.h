#pragma once

#include <QWidget>

namespace tav {

// A slider over a floating-point axis with a numbered scale of major divisions.
//
// valueChanged is raised only when the operator moves the pointer (mouse, keyboard, wheel while
// focused); values, minimum and maximum set by the program never raise it, so a handler that
// writes the value to the board is not run again by its own updates. The value always lies
// inside [minimum, maximum]: setting a bound moves the value (and, when they cross, the other
// bound) silently.
//
// Operator moves land on multiples of the step (none when the step is 0), or exactly on the
// minimum or maximum at the ends. Values set by the program are kept as they are.
class NumericSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(double minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(double step READ step WRITE setStep)
    Q_PROPERTY(int majorDivisions READ majorDivisions WRITE setMajorDivisions)
    Q_PROPERTY(int index READ index WRITE setIndex)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(Qt::Orientation orientation READ orientation WRITE setOrientation)
public:
    explicit NumericSlider(QWidget* parent = nullptr);
    NumericSlider(int index, QWidget* parent);

    double value() const { return value_; }
    void setValue(double value);

    double minimum() const { return min_; }
    void setMinimum(double minimum);
    double maximum() const { return max_; }
    void setMaximum(double maximum);
    // Bounds in either order: setRange(0, -10) spans -10 .. 0.
    void setRange(double minimum, double maximum);

    // Operator increment; 0 (the default) moves freely.
    double step() const { return step_; }
    void setStep(double step);

    // Number of major divisions of the scale (ticks with numbers), at least 1.
    int majorDivisions() const { return divisions_; }
    void setMajorDivisions(int divisions);

    // Position of the slider in its window's control array, carried by valueChanged.
    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }

    // A read-only slider (a progress gauge) ignores the operator but is drawn normally.
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

    Qt::Orientation orientation() const { return orientation_; }
    void setOrientation(Qt::Orientation orientation);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The operator moved the pointer to a new value.
    void valueChanged(int index, double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool acceptsOperator() const { return isEnabled() && !readOnly_; }
    void operatorMove(double value);
    double snapped(double value) const;
    double stepUp(double value, int steps) const;
    double roundToStep(double value) const;
    double keyStep() const;
    double pageStep() const;

    // Geometry along the axis: pixel positions of the minimum and maximum.
    int axisStart() const;
    int axisEnd() const;
    int axisMargin() const;
    int pixelFor(double value) const;
    double valueAt(const QPoint& point) const;
    QRect thumbRect() const;
    QString scaleLabel(int division) const;
    int labelWidth() const;

    double value_ = 0;
    double min_ = 0;
    double max_ = 10;
    double step_ = 0;
    int stepDecimals_ = 0;
    int divisions_ = 5;
    int index_ = 0;
    bool readOnly_ = false;
    Qt::Orientation orientation_ = Qt::Horizontal;
    bool dragging_ = false;
    int dragOffset_ = 0;
    int wheelRemainder_ = 0;
};

} // namespace tav
