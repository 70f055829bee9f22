#include "ui/config/ConfigIcons.h"

#include "ui/control/PanelIcons.h"

#include <QPainter>

namespace tav {

QIcon eepromIcon(int size) {
    return drawnIcon(size, [](QPainter& p, const QRectF& r, bool enabled) {
        const double w = r.width();
        const QColor body = enabled ? QColor(45, 45, 55) : QColor(160, 160, 160);
        const QColor pins = enabled ? QColor(200, 170, 60) : QColor(190, 190, 190);
        // Chip with pins on both sides.
        p.setPen(Qt::NoPen);
        p.setBrush(pins);
        for (int k = 0; k < 4; ++k) {
            const double y = w * (0.42 + 0.13 * k);
            p.drawRect(QRectF(w * 0.12, y, w * 0.76, w * 0.05));
        }
        p.setBrush(body);
        p.drawRoundedRect(QRectF(w * 0.22, w * 0.36, w * 0.56, w * 0.56), w * 0.04, w * 0.04);
        // Arrow into the chip.
        const QColor arrow = enabled ? QColor(30, 140, 60) : QColor(150, 150, 150);
        p.setPen(QPen(arrow, w * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(w * 0.5, w * 0.04), QPointF(w * 0.5, w * 0.3));
        p.drawLine(QPointF(w * 0.38, w * 0.18), QPointF(w * 0.5, w * 0.3));
        p.drawLine(QPointF(w * 0.62, w * 0.18), QPointF(w * 0.5, w * 0.3));
    });
}

QIcon printIcon(int size) {
    return drawnIcon(size, [](QPainter& p, const QRectF& r, bool enabled) {
        const double w = r.width();
        const QColor body = enabled ? QColor(80, 90, 110) : QColor(160, 160, 160);
        p.setPen(QPen(QColor(60, 60, 60), w * 0.03));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(w * 0.28, w * 0.08, w * 0.44, w * 0.36)); // sheet going in
        p.setBrush(body);
        p.drawRoundedRect(QRectF(w * 0.08, w * 0.36, w * 0.84, w * 0.34), w * 0.06, w * 0.06);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(w * 0.24, w * 0.6, w * 0.52, w * 0.32)); // printed sheet
        p.setPen(QPen(QColor(120, 120, 120), w * 0.03));
        for (int k = 0; k < 3; ++k)
            p.drawLine(QPointF(w * 0.32, w * (0.7 + 0.07 * k)), QPointF(w * 0.68, w * (0.7 + 0.07 * k)));
    });
}

} // namespace tav
