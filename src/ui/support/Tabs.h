#pragma once

#include <QTabWidget>

namespace tav {

// Tab control of the windows: per-tab enabled flags that never move the current tab, and a
// change event carrying the new and the previous tab.
//
// The operator cannot choose a disabled tab; the program can still select any tab. Disabling
// the current tab leaves it current and raises no change event (the window decides what to
// show), unlike a bare QTabWidget, which jumps to the next enabled tab.
class TabControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);

    // Appends an empty page with this caption and returns it.
    QWidget* addPage(const QString& caption);

    // Hides QTabWidget::setTabEnabled so that the current tab stays where it is.
    void setTabEnabled(int index, bool enabled);

    // Sets the control's height, keeping its width.
    void setHeight(int height);

signals:
    // The current tab changed (by the operator or the program); tab is -1 when no tab is left.
    void tabChanged(int tab, int previousTab);

private:
    int current_ = -1;
};

} // namespace tav
