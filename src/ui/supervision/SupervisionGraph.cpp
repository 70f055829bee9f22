#include "ui/supervision/SupervisionGraph.h"

#include "core/supervision/Curves.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>

#include <algorithm>
#include <limits>

namespace tav {

namespace {

// Colour and style of plot i + 1, as the tooltip of check box i names them.
QPen plotPen(int item) {
    const QColor red(255, 0, 0), green(0, 160, 0), cyan(0, 190, 190);
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DotLine, Qt::DashLine};
    QPen pen(item < 3 ? red : item < 6 ? green : cyan);
    pen.setStyle(styles[item % 3]);
    pen.setWidthF(1.5);
    return pen;
}

} // namespace

SupervisionGraph::SupervisionGraph(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("CWGraphAppareil"));
    auto* c = new QChart;
    c->legend()->hide();
    c->setAnimationOptions(QChart::NoAnimation);
    setChart(c);
    const Qt::Alignment sides[] = {Qt::AlignBottom, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight};
    for (int n = 0; n < 4; ++n) {
        axes_[std::size_t(n)] = new QValueAxis(c);
        axes_[std::size_t(n)]->setRange(0, 1);
        c->addAxis(axes_[std::size_t(n)], sides[n]);
    }
    setAxisCaption(2, QStringLiteral("(dBm)"));
    setAxisCaption(3, QStringLiteral("mA"));
    setAxisCaption(4, QStringLiteral("\u00B0C"));
    for (int i = 0; i < kCurveCount; ++i) {
        auto* s = new QLineSeries(c);
        s->setPen(plotPen(i));
        s->setUseOpenGL(false);
        c->addSeries(s);
        s->attachAxis(axes_[0]);
        s->attachAxis(axes_[std::size_t(curveDefs()[std::size_t(i)].axis - 1)]);
        s->setVisible(false);
        plots_[std::size_t(i)] = s;
    }
    setRenderHint(QPainter::Antialiasing, false);
}

void SupervisionGraph::setAxisCaption(int n, const QString& caption) {
    axis(n)->setTitleText(caption);
}

void SupervisionGraph::setPlotData(int n, const QList<QPointF>& points) {
    plot(n)->replace(points);
}

void SupervisionGraph::setPlotVisible(int n, bool visible) {
    plot(n)->setVisible(visible);
}

void SupervisionGraph::clearPlots() {
    for (QLineSeries* s : plots_) {
        s->clear();
        s->setVisible(false);
    }
}

void SupervisionGraph::fitValueAxes() {
    for (int a = 2; a <= 4; ++a) {
        double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
        for (int i = 0; i < kCurveCount; ++i) {
            const QLineSeries* s = plots_[std::size_t(i)];
            if (curveDefs()[std::size_t(i)].axis != a || !s->isVisible())
                continue;
            for (const QPointF& p : s->points()) {
                lo = std::min(lo, p.y());
                hi = std::max(hi, p.y());
            }
        }
        if (lo > hi)
            continue;
        const double pad = std::max((hi - lo) * 0.05, 0.5);
        axis(a)->setRange(lo - pad, hi + pad);
    }
}

} // namespace tav
