#include "ui/support/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
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

std::pair<QRect, QRect> sideBySide(QSize left, QSize leftMin, QSize right, QSize rightMin, int top,
                                   const QRect& area) {
    const int room = area.width() - kGap, wanted = left.width() + right.width();
    if (wanted > room) {
        const int l = std::max(leftMin.width(), room * left.width() / wanted);
        right.setWidth(std::max(rightMin.width(), room - l));
        left.setWidth(l);
    }
    const int height = area.bottom() + 1 - top;
    left.setHeight(std::max(leftMin.height(), std::min(left.height(), height)));
    right.setHeight(std::max(rightMin.height(), std::min(right.height(), height)));
    const QRect l(QPoint(area.left(), top), left);
    const int x = std::max(l.right() + 1 + kGap, area.right() + 1 - right.width());
    return {l, QRect(QPoint(x, top), right)};
}

void placeBesideWithPartner(QWidget* window, bool right, QWidget* partner, const QWidget* main,
                            int menuBottom) {
    placeBeside(window, main, right);
    if (!partner || !partner->isVisible() || !main) return;
    const auto pair = [partner = QPointer<QWidget>(partner), main = QPointer<const QWidget>(main),
                       right, menuBottom](QWidget* w) {
        const QScreen* screen = main ? screenOf(main) : nullptr;
        if (!partner || !screen) return;
        const QRect m = main->frameGeometry();
        const auto beside = [&m](const QRect& f) { return f.left() > m.right() || f.right() < m.left(); };
        QWidget* l = right ? partner.data() : w;
        QWidget* r = right ? w : partner.data();
        const QRect a = l->frameGeometry(), b = r->frameGeometry();
        if (beside(a) && beside(b) && !a.intersects(b)) return;
        const QSize da = a.size() - l->size(), db = b.size() - r->size(); // decorations
        const auto [fa, fb] = sideBySide(a.size(), l->minimumSize() + da, b.size(),
                                         r->minimumSize() + db, menuBottom + kGap,
                                         screen->availableGeometry());
        l->resize(fa.size() - da);
        l->move(fa.topLeft());
        r->resize(fb.size() - db);
        r->move(fb.topLeft());
    };
    pair(window);
    PlaceAtShow::install(window, pair);
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
