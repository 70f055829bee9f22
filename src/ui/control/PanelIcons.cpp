#include "ui/control/PanelIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

#include <functional>

namespace tav {

QIcon drawnIcon(int size, const std::function<void(QPainter&, const QRectF&, bool)>& paint) {
    QIcon icon;
    for (bool enabled : {true, false}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p, QRectF(0, 0, size, size), enabled);
        p.end();
        icon.addPixmap(pm, enabled ? QIcon::Normal : QIcon::Disabled);
    }
    return icon;
}

namespace {

void disc(QPainter& p, const QRectF& r, const QColor& base) {
    const QRectF d =
        r.adjusted(r.width() * 0.06, r.height() * 0.06, -r.width() * 0.06, -r.height() * 0.06);
    QRadialGradient g(d.center() - QPointF(d.width() * 0.2, d.height() * 0.2), d.width() * 0.8);
    g.setColorAt(0, base.lighter(150));
    g.setColorAt(0.55, base);
    g.setColorAt(1, base.darker(150));
    p.setPen(QPen(base.darker(200), r.width() * 0.03));
    p.setBrush(g);
    p.drawEllipse(d);
}

} // namespace

QIcon startIcon(int size) {
    return drawnIcon(size, [](QPainter& p, const QRectF& r, bool enabled) {
        disc(p, r, enabled ? QColor(40, 170, 60) : QColor(150, 150, 150));
        // Power symbol: an open ring and a bar.
        const double w = r.width();
        QPen pen(Qt::white, w * 0.09, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const QRectF ring(w * 0.3, w * 0.32, w * 0.4, w * 0.4);
        p.drawArc(ring, 120 * 16, 300 * 16); // gap at the top
        p.drawLine(QPointF(w * 0.5, w * 0.22), QPointF(w * 0.5, w * 0.5));
    });
}

QIcon stopIcon(int size) {
    return drawnIcon(size, [](QPainter& p, const QRectF& r, bool enabled) {
        disc(p, r, enabled ? QColor(205, 40, 40) : QColor(150, 150, 150));
        const double w = r.width();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(w * 0.34, w * 0.34, w * 0.32, w * 0.32), w * 0.03, w * 0.03);
    });
}

QIcon exitIcon(int size) {
    return drawnIcon(size, [](QPainter& p, const QRectF& r, bool enabled) {
        const double w = r.width();
        const QColor frame = enabled ? QColor(90, 90, 100) : QColor(160, 160, 160);
        const QColor door = enabled ? QColor(150, 110, 70) : QColor(190, 190, 190);
        // Door frame and open door.
        p.setPen(QPen(frame, w * 0.05));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRectF(w * 0.14, w * 0.1, w * 0.42, w * 0.8));
        QPainterPath leaf;
        leaf.moveTo(w * 0.14, w * 0.1);
        leaf.lineTo(w * 0.38, w * 0.18);
        leaf.lineTo(w * 0.38, w * 0.98);
        leaf.lineTo(w * 0.14, w * 0.9);
        leaf.closeSubpath();
        p.setBrush(door);
        p.drawPath(leaf);
        // Arrow pointing out.
        const QColor arrow = enabled ? QColor(30, 110, 200) : QColor(150, 150, 150);
        p.setPen(QPen(arrow, w * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(w * 0.5, w * 0.5), QPointF(w * 0.9, w * 0.5));
        p.drawLine(QPointF(w * 0.76, w * 0.36), QPointF(w * 0.9, w * 0.5));
        p.drawLine(QPointF(w * 0.76, w * 0.64), QPointF(w * 0.9, w * 0.5));
    });
}

} // namespace tav
