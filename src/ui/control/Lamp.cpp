#include "ui/control/Lamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace tav {

Lamp::Lamp(QWidget* parent, int diameter) : QWidget(parent), diameter_(diameter) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

QSize Lamp::sizeHint() const {
    return {diameter_ + 4, diameter_ + 4};
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = std::min(width(), height()) - 4;
    const QRectF r((width() - d) / 2.0, (height() - d) / 2.0, d, d);
    QRadialGradient g(r.center() - QPointF(d * 0.18, d * 0.18), d * 0.75);
    g.setColorAt(0, color_.lighter(130));
    g.setColorAt(0.6, color_);
    g.setColorAt(1, color_.darker(125));
    p.setBrush(g);
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.drawEllipse(r);
}

} // namespace tav
