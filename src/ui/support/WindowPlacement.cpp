#include "ui/support/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tav {

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2);
}

void placeBeside(QWidget* window, const QWidget* other, bool right) {
    if (!other)
        return;
    window->adjustSize();
    const QRect main = other->frameGeometry();
    QPoint at = right ? QPoint(main.right() + 8, main.top())
                      : QPoint(main.left() - 8 - window->frameGeometry().width(), main.top());
    if (const QScreen* screen = other->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - window->width())));
        at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() - window->height())));
    }
    window->move(at);
}

} // namespace tav
