#pragma once

#include <QList>
#include <QPointF>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace tav {

// The points of one curve reduced per column of the horizontal axis: each column keeps its first,
// lowest, highest and last point, so that the drawn line looks the same as with every point while
// the series stays a few thousand points long whatever the number of rows. Points arrive in
// increasing x; when x leaves the columns, the column width doubles and neighbours merge.
class PlotReduction {
public:
    // `columns` columns over [0, initialWidth) at the start.
    explicit PlotReduction(int columns = 2048, double initialWidth = 1.0);
    void clear();
    void add(double x, double y);
    // The reduced series in x order.
    QList<QPointF> points() const;
    bool isEmpty() const { return count_ == 0; }
    double minY() const { return minY_; }
    double maxY() const { return maxY_; }
    qint64 count() const { return count_; }

private:
    struct Column {
        QPointF first, low, high, last;
        bool used = false;
    };
    void widen();

    int columns_;
    double initialWidth_;
    double width_;
    std::vector<Column> col_;
    qint64 count_ = 0;
    double minY_ = 0;
    double maxY_ = 0;
};

// One curve of the graph tab: check box caption, tooltip naming its line, sheet column, divisor,
// and the axis it is drawn against (2 dBm, 3 mA, 4 degrees C).
struct CurveDef {
    const char* caption; // UTF-8
    const char* tooltip; // UTF-8
    int column;
    double divisor;
    int axis;
};
inline constexpr int kCurveCount = 7;
const std::array<CurveDef, kCurveCount>& curveDefs();

// The data of the seven curves, fed from the sheet as rows arrive. Rows 1 to N - 1 are drawn
// (N the last row holding data); x is the duration column; an empty cell repeats the previous
// point (0 for the first), a cell that is not a number gives no point. The horizontal maximum
// starts at 1 and becomes x + 1 whenever x exceeds it.
class SupervisionCurves {
public:
    using Cell = std::function<QString(int row, int col)>;
    void clear();
    // Takes in the rows not yet fed, up to lastRow - 1.
    void update(int lastRow, const Cell& cell);
    const PlotReduction& plot(int item) const { return plots_[std::size_t(item)]; }
    double axisMax() const { return axisMax_; }
    int rowsFed() const { return fed_; }

private:
    std::array<PlotReduction, kCurveCount> plots_;
    std::array<double, kCurveCount> lastY_{};
    int fed_ = 0;
    double axisMax_ = 1;
};

} // namespace tav
