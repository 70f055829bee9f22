#include "ui/support/Tabs.h"

#include <QSignalBlocker>
#include <QTabBar>

namespace tav {

TabControl::TabControl(QWidget* parent) : QTabWidget(parent) {
    connect(this, &QTabWidget::currentChanged, this, [this](int tab) {
        const int previous = current_;
        current_ = tab;
        if (tab != previous)
            emit tabChanged(tab, previous);
    });
}

QWidget* TabControl::addPage(const QString& caption) {
    auto* page = new QWidget(this);
    addTab(page, caption);
    return page;
}

void TabControl::setTabEnabled(int index, bool enabled) {
    const int current = currentIndex();
    {
        // The bar would select another tab when the current one is disabled; with its signals
        // blocked the page stack does not follow, and the bar is put back below.
        const QSignalBlocker block(tabBar());
        QTabWidget::setTabEnabled(index, enabled);
        if (tabBar()->currentIndex() != current)
            tabBar()->setCurrentIndex(current);
    }
}

void TabControl::setHeight(int height) { setFixedHeight(height); }

} // namespace tav
