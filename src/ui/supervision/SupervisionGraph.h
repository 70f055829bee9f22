#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>

#include <array>

class QLineSeries;
class QValueAxis;

namespace tav {

// The supervision graph: the duration axis (axis 1), three value axes (2 dBm, 3 mA,
// 4 degrees C) and seven plots with the colours and line styles their check boxes name.
// A plot receives its whole (reduced) series in one replacement.
class SupervisionGraph : public QChartView {
    Q_OBJECT
public:
    explicit SupervisionGraph(QWidget* parent = nullptr);

    // Axis 1 to 4.
    QValueAxis* axis(int n) const { return axes_[std::size_t(n - 1)]; }
    void setAxisCaption(int n, const QString& caption);
    // Plot 1 to 7.
    QLineSeries* plot(int n) const { return plots_[std::size_t(n - 1)]; }
    void setPlotData(int n, const QList<QPointF>& points);
    void setPlotVisible(int n, bool visible);
    void clearPlots();
    // Fits the value axes to their visible plots.
    void fitValueAxes();

private:
    std::array<QValueAxis*, 4> axes_{};
    std::array<QLineSeries*, 7> plots_{};
};

} // namespace tav
