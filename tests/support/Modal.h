#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tav::test {

// Clicks a button of the modal window that the next exec() shows, after `before` has run on it.
inline void clickInNextModal(const QString& button, std::function<void(QWidget*)> before = {}) {
    QTimer::singleShot(0, [button, before] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        if (before)
            before(modal);
        modal->findChild<QPushButton*>(button)->click();
    });
}

} // namespace tav::test
