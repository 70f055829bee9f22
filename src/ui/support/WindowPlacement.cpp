#include "ui/support/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <array>
#include <functional>

namespace tav {

namespace {

constexpr int kGap = 8;

QScreen* screenOf(const QWidget* window) {
    return window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

int clampSpan(int at, int length, int start, int span) {
    if (length > span) return start;
    return qBound(start, at, start + span - length);
}

void centreNow(QWidget* window) {
    const QScreen* screen = screenOf(window);
    if (!screen) return;
    const QRect full = screen->geometry();
    const QSize size = window->frameGeometry().size();
    const QRect centred(QPoint(full.left() + (full.width() - size.width()) / 2,
                               full.top() + (full.height() - size.height()) / 2),
                        size);
    window->move(keptInside(centred, screen->availableGeometry()));
}

// Places the window again when it first shows: only then has it its final size.
class PlaceAtShow final : public QObject {
public:
    PlaceAtShow(QWidget* window, std::function<void(QWidget*)> place)
        : QObject(window), place_(std::move(place)) {
        setObjectName(QStringLiteral("tav_placeAtShow"));
        window->installEventFilter(this);
    }
    static void install(QWidget* window, std::function<void(QWidget*)> place) {
        delete window->findChild<QObject*>(QStringLiteral("tav_placeAtShow"),
                                           Qt::FindDirectChildrenOnly);
        if (!window->isVisible()) new PlaceAtShow(window, std::move(place));
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent()) {
            place_(static_cast<QWidget*>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void(QWidget*)> place_;
};

void besideNow(QWidget* window, const QWidget* other, bool right) {
    const QScreen* screen = other->screen() ? other->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(), window->size());
    window->move(besideOrBelow(window->frameGeometry().size(), other->frameGeometry(), area, right));
}

} // namespace

QPoint keptInside(const QRect& window, const QRect& area) {
    return {clampSpan(window.left(), window.width(), area.left(), area.width()),
            clampSpan(window.top(), window.height(), area.top(), area.height())};
}

QPoint besideOrBelow(const QSize& size, const QRect& main, const QRect& area, bool right) {
    const int onRight = main.right() + 1 + kGap, onLeft = main.left() - kGap - size.width();
    const std::array<int, 2> sides = right ? std::array{onRight, onLeft} : std::array{onLeft, onRight};
    for (const int x : sides)
        if (x >= area.left() && x + size.width() <= area.left() + area.width())
            return keptInside(QRect(QPoint(x, main.top()), size), area);
    const int x = right ? main.right() + 1 - size.width() : main.left();
    return keptInside(QRect(QPoint(x, main.bottom() + 1 + kGap), size), area);
}

void centreOnScreen(QWidget* window) {
    centreNow(window);
    PlaceAtShow::install(window, centreNow);
}

void placeBeside(QWidget* window, const QWidget* other, bool right) {
    if (!other) return;
    besideNow(window, other, right);
    PlaceAtShow::install(window, [other = QPointer<const QWidget>(other), right](QWidget* w) {
        if (other) besideNow(w, other, right);
    });
}

void widenAboutCentre(QWidget* window, int width) {
    const QRect frame = window->frameGeometry();
    const int extra = frame.width() - window->width(); // decorations
    if (window->width() >= width) return;
    const QSize size(width + extra, frame.height());
    QPoint at(frame.center().x() - size.width() / 2, frame.top());
    if (const QScreen* screen = screenOf(window))
        at = keptInside(QRect(at, size), screen->availableGeometry());
    window->resize(width, window->height());
    window->move(at);
}

} // namespace tav
