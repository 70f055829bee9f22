#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tav::test {

// Runs `run` on the modal window that the next exec() shows.
inline void inNextModal(std::function<void(QWidget*)> run) {
    QTimer::singleShot(0, [run] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        run(modal);
    });
}

// Clicks a button of the modal window that the next exec() shows, after `before` has run on it.
inline void clickInNextModal(const QString& button, std::function<void(QWidget*)> before = {}) {
    inNextModal([button, before](QWidget* modal) {
        if (before)
            before(modal);
        modal->findChild<QPushButton*>(button)->click();
    });
}

} // namespace tav::test
