#include "core/supervision/Curves.h"

#include "core/text/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tav {

PlotReduction::PlotReduction(int columns, double initialWidth)
    : columns_(std::max(columns, 2)), initialWidth_(initialWidth) {
    clear();
}

void PlotReduction::clear() {
    width_ = initialWidth_ / columns_;
    col_.assign(std::size_t(columns_), Column{});
    count_ = 0;
    minY_ = maxY_ = 0;
}

void PlotReduction::widen() {
    width_ *= 2;
    for (int i = 0; i < columns_; ++i) {
        Column merged;
        for (int k : {2 * i, 2 * i + 1}) {
            if (k >= columns_ || !col_[std::size_t(k)].used)
                continue;
            const Column& c = col_[std::size_t(k)];
            if (!merged.used) {
                merged = c;
                continue;
            }
            if (c.low.y() < merged.low.y())
                merged.low = c.low;
            if (c.high.y() > merged.high.y())
                merged.high = c.high;
            merged.last = c.last;
        }
        col_[std::size_t(i)] = merged;
    }
}

void PlotReduction::add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    x = std::max(x, 0.0);
    while (x / width_ >= columns_)
        widen();
    Column& c = col_[std::size_t(x / width_)];
    const QPointF p(x, y);
    if (!c.used) {
        c.first = c.low = c.high = c.last = p;
        c.used = true;
    } else {
        if (y < c.low.y())
            c.low = p;
        if (y > c.high.y())
            c.high = p;
        c.last = p;
    }
    minY_ = count_ == 0 ? y : std::min(minY_, y);
    maxY_ = count_ == 0 ? y : std::max(maxY_, y);
    ++count_;
}

QList<QPointF> PlotReduction::points() const {
    QList<QPointF> out;
    for (const Column& c : col_) {
        if (!c.used)
            continue;
        std::array<QPointF, 4> p{c.first, c.low, c.high, c.last};
        std::stable_sort(p.begin(), p.end(),
                         [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        for (const QPointF& q : p)
            if (out.isEmpty() || q != out.last())
                out.append(q);
    }
    return out;
}

const std::array<CurveDef, kCurveCount>& curveDefs() {
    static const std::array<CurveDef, kCurveCount> defs{{
        {"Input Power (dBm)", "Line rouge Pleine", 4, 10, 2},
        {"Output Power (dBm)", "Ligne Rouge Pointillé", 5, 10, 2},
        {"Output Power Phs2 (dBm)", "Ligne Rouge Gros Pointillé", 6, 10, 2},
        // The laser diode current is the appended LDC column; ALA (10) is never drawn.
        {"LaserDiode current (mA)", "Ligne Verte Pleine", 11, 1, 3},
        {"Diode 1 Current (mA)", "Ligne Verte Pointillé", 7, 1, 3},
        {"Laser Diode Temperature (C°)", "Ligne Verte Gros Pointillé", 8, 1, 4},
        {"Temperature case (C°)", "Ligne Cyan Pleine", 9, 1, 4},
    }};
    return defs;
}

void SupervisionCurves::clear() {
    for (PlotReduction& p : plots_)
        p.clear();
    lastY_.fill(0);
    fed_ = 0;
    axisMax_ = 1;
}

void SupervisionCurves::update(int lastRow, const Cell& cell) {
    for (int r = fed_ + 1; r <= lastRow - 1; ++r) {
        const double x = leadingNumber(cell(r, 3));
        if (x > axisMax_)
            axisMax_ = x + 1;
        for (int i = 0; i < kCurveCount; ++i) {
            const CurveDef& d = curveDefs()[std::size_t(i)];
            const QString text = cell(r, d.column).trimmed();
            double& y = lastY_[std::size_t(i)];
            if (!text.isEmpty()) {
                bool ok = false;
                const double v = text.toDouble(&ok);
                if (!ok || !std::isfinite(v))
                    continue; // "xxx" or garbage: no point
                y = v / d.divisor;
            }
            plots_[std::size_t(i)].add(x, y);
        }
        fed_ = r;
    }
}

} // namespace tav
