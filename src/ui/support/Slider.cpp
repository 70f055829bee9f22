#include "ui/support/Slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tav {

namespace {

constexpr int kThumbLength = 10; // along the axis
constexpr int kThumbDepth = 18;  // across the axis
constexpr int kTrackDepth = 4;
constexpr int kTickLength = 5;
constexpr int kGap = 2;

} // namespace

NumericSlider::NumericSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

NumericSlider::NumericSlider(int index, QWidget* parent) : NumericSlider(parent) {
    index_ = index;
}

void NumericSlider::setValue(double value) {
    if (std::isnan(value))
        return;
    value = std::clamp(value, min_, max_);
    if (value == value_)
        return;
    value_ = value;
    update();
}

void NumericSlider::setMinimum(double minimum) {
    if (std::isnan(minimum))
        return;
    setRange(minimum, std::max(minimum, max_));
}

void NumericSlider::setMaximum(double maximum) {
    if (std::isnan(maximum))
        return;
    setRange(std::min(min_, maximum), maximum);
}

void NumericSlider::setRange(double minimum, double maximum) {
    if (std::isnan(minimum) || std::isnan(maximum))
        return;
    // Bounds given in reverse order (a reversed pair stored by the operator) span the same
    // axis: the slider stays movable between them.
    min_ = std::min(minimum, maximum);
    max_ = std::max(minimum, maximum);
    value_ = std::clamp(value_, min_, max_);
    updateGeometry(); // label widths may change
    update();
}

void NumericSlider::setStep(double step) {
    step_ = (std::isfinite(step) && step > 0) ? step : 0;
    // Decimal places of the step, so that 3 x 0.1 is shown and sent as 0.3.
    stepDecimals_ = 0;
    if (step_ > 0) {
        double scaled = step_;
        while (stepDecimals_ < 9 && std::abs(scaled - std::round(scaled)) > 1e-9 * scaled) {
            scaled *= 10;
            ++stepDecimals_;
        }
    }
}

void NumericSlider::setMajorDivisions(int divisions) {
    divisions_ = std::max(divisions, 1);
    updateGeometry();
    update();
}

void NumericSlider::setOrientation(Qt::Orientation orientation) {
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    setSizePolicy(orientation == Qt::Horizontal
                      ? QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed)
                      : QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding));
    updateGeometry();
    update();
}

// --- operator moves ------------------------------------------------------------------------

void NumericSlider::operatorMove(double value) {
    value = std::clamp(value, min_, max_);
    if (value == value_)
        return;
    value_ = value;
    update();
    emit valueChanged(index_, value_);
}

double NumericSlider::roundToStep(double value) const {
    if (step_ <= 0)
        return value;
    const double scale = std::pow(10.0, stepDecimals_);
    return std::round(value * scale) / scale;
}

double NumericSlider::snapped(double value) const {
    if (step_ <= 0)
        return value;
    return roundToStep(std::round(value / step_) * step_);
}

// The value `steps` increments away from `value` (negative: down), on the step grid.
double NumericSlider::stepUp(double value, int steps) const {
    if (step_ <= 0)
        return value + steps * keyStep();
    const double k = value / step_;
    const double base = steps > 0 ? std::floor(k + 1e-9) : std::ceil(k - 1e-9);
    return roundToStep((base + steps) * step_);
}

double NumericSlider::keyStep() const { return step_ > 0 ? step_ : (max_ - min_) / 100; }

double NumericSlider::pageStep() const { return (max_ - min_) / divisions_; }

void NumericSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !acceptsOperator()) {
        event->ignore();
        return;
    }
    const QPoint p = event->position().toPoint();
    const QRect thumb = thumbRect();
    dragging_ = true;
    if (thumb.contains(p)) {
        dragOffset_ = orientation_ == Qt::Horizontal ? p.x() - thumb.center().x()
                                                     : p.y() - thumb.center().y();
    } else {
        dragOffset_ = 0;
        operatorMove(valueAt(p));
    }
    event->accept();
}

void NumericSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !acceptsOperator()) {
        event->ignore();
        return;
    }
    QPoint p = event->position().toPoint();
    if (orientation_ == Qt::Horizontal)
        p.rx() -= dragOffset_;
    else
        p.ry() -= dragOffset_;
    operatorMove(valueAt(p));
    event->accept();
}

void NumericSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragging_ = false;
    event->accept();
}

void NumericSlider::keyPressEvent(QKeyEvent* event) {
    if (!acceptsOperator()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
        operatorMove(stepUp(value_, 1));
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        operatorMove(stepUp(value_, -1));
        break;
    case Qt::Key_PageUp:
        operatorMove(snapped(value_ + pageStep()));
        break;
    case Qt::Key_PageDown:
        operatorMove(snapped(value_ - pageStep()));
        break;
    case Qt::Key_Home:
        operatorMove(min_);
        break;
    case Qt::Key_End:
        operatorMove(max_);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void NumericSlider::wheelEvent(QWheelEvent* event) {
    // Only a focused slider takes the wheel, so scrolling a window never moves a set point.
    if (!hasFocus() || !acceptsOperator()) {
        event->ignore();
        return;
    }
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ %= 120;
    if (notches != 0)
        operatorMove(stepUp(value_, notches));
    event->accept();
}

// --- geometry ------------------------------------------------------------------------------

QString NumericSlider::scaleLabel(int division) const {
    double v = min_ + (max_ - min_) * division / divisions_;
    if (division == divisions_)
        v = max_;
    if (std::abs(v) < 1e-12 * std::max(1.0, std::abs(max_ - min_)))
        v = 0; // no "-0" or "1e-17"
    return QString::number(v, 'g', 6);
}

int NumericSlider::labelWidth() const {
    const QFontMetrics fm = fontMetrics();
    int w = 0;
    for (int i = 0; i <= divisions_; ++i)
        w = std::max(w, fm.horizontalAdvance(scaleLabel(i)));
    return w;
}

int NumericSlider::axisMargin() const {
    const int half = orientation_ == Qt::Horizontal ? (labelWidth() + 1) / 2
                                                     : (fontMetrics().height() + 1) / 2;
    return std::max(half, kThumbLength / 2) + kGap;
}

// Pixel along the axis for the minimum (start) and maximum (end); vertical axes grow upwards.
int NumericSlider::axisStart() const {
    return orientation_ == Qt::Horizontal ? axisMargin() : height() - 1 - axisMargin();
}

int NumericSlider::axisEnd() const {
    return orientation_ == Qt::Horizontal ? width() - 1 - axisMargin() : axisMargin();
}

int NumericSlider::pixelFor(double value) const {
    const double span = max_ - min_;
    const double f = span > 0 ? (value - min_) / span : 0;
    return axisStart() + static_cast<int>(std::lround(f * (axisEnd() - axisStart())));
}

double NumericSlider::valueAt(const QPoint& point) const {
    const int pos = orientation_ == Qt::Horizontal ? point.x() : point.y();
    const int length = axisEnd() - axisStart();
    if (length == 0)
        return value_;
    const double f = static_cast<double>(pos - axisStart()) / length;
    if (f <= 0)
        return min_;
    if (f >= 1)
        return max_;
    return std::clamp(snapped(min_ + f * (max_ - min_)), min_, max_);
}

QRect NumericSlider::thumbRect() const {
    const int c = pixelFor(value_);
    if (orientation_ == Qt::Horizontal)
        return QRect(c - kThumbLength / 2, kGap, kThumbLength, kThumbDepth);
    return QRect(kGap, c - kThumbLength / 2, kThumbDepth, kThumbLength);
}

QSize NumericSlider::sizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int depth = kGap + kThumbDepth + kGap + kTickLength + kGap;
    if (orientation_ == Qt::Horizontal)
        return QSize(200, depth + fm.height() + kGap);
    return QSize(depth + labelWidth() + kGap, 160);
}

QSize NumericSlider::minimumSizeHint() const {
    const QSize hint = sizeHint();
    return orientation_ == Qt::Horizontal ? QSize(2 * axisMargin() + 20, hint.height())
                                          : QSize(hint.width(), 2 * axisMargin() + 20);
}

// --- painting ------------------------------------------------------------------------------

void NumericSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette& pal = palette();
    const bool horizontal = orientation_ == Qt::Horizontal;
    const int start = axisStart();
    const int end = axisEnd();
    const int centre = kGap + kThumbDepth / 2; // across the axis
    const int valuePixel = pixelFor(value_);

    auto along = [&](int a, int b, int acrossFrom, int acrossTo) {
        // Rectangle from a to b along the axis and acrossFrom..acrossTo across it.
        const int lo = std::min(a, b);
        const int hi = std::max(a, b);
        return horizontal ? QRect(lo, acrossFrom, hi - lo + 1, acrossTo - acrossFrom)
                          : QRect(acrossFrom, lo, acrossTo - acrossFrom, hi - lo + 1);
    };

    // Track, filled from the minimum to the value.
    const QRect track = along(start, end, centre - kTrackDepth / 2, centre + kTrackDepth / 2);
    p.setPen(pal.color(group, QPalette::Dark));
    p.setBrush(pal.color(group, QPalette::Base));
    p.drawRoundedRect(track, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(pal.color(group, QPalette::Highlight));
    p.drawRoundedRect(along(start, valuePixel, centre - kTrackDepth / 2, centre + kTrackDepth / 2),
                      2, 2);

    // Scale: major ticks with their numbers.
    const int tickFrom = kGap + kThumbDepth + kGap;
    const int tickTo = tickFrom + kTickLength;
    const QFontMetrics fm = fontMetrics();
    const double spacing = std::abs(end - start) / static_cast<double>(divisions_);
    const int labelExtent = horizontal ? labelWidth() + 4 : fm.height();
    const int every = spacing > 0 ? std::max(1, static_cast<int>(std::ceil(labelExtent / spacing)))
                                  : divisions_;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(pal.color(group, QPalette::WindowText));
    for (int i = 0; i <= divisions_; ++i) {
        const int at = start + static_cast<int>(std::lround((end - start) * double(i) / divisions_));
        if (horizontal)
            p.drawLine(at, tickFrom, at, tickTo);
        else
            p.drawLine(tickFrom, at, tickTo, at);
        if (i % every != 0 && i != divisions_)
            continue;
        if (i == divisions_ && i % every != 0 && spacing * (i % every) < labelExtent)
            continue; // the last label would overlap the previous one
        const QString label = scaleLabel(i);
        if (horizontal) {
            const int w = fm.horizontalAdvance(label);
            p.drawText(QRect(at - w / 2 - 1, tickTo + kGap, w + 2, fm.height()), Qt::AlignCenter,
                       label);
        } else {
            p.drawText(QRect(tickTo + kGap, at - fm.height() / 2, labelWidth() + 2, fm.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
        }
    }

    // Pointer.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(pal.color(group, hasFocus() ? QPalette::Highlight : QPalette::Shadow));
    p.setBrush(pal.color(group, QPalette::Button));
    p.drawRoundedRect(QRectF(thumbRect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

} // namespace tav
