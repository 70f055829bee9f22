#include "ui/support/Tabs.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

using tav::TabControl;

class TestTabs : public QObject {
    Q_OBJECT

private slots:
    void changeEventsAndDisabledTabs() {
        TabControl tabs;
        QWidget* first = tabs.addPage(QStringLiteral("APC"));
        for (const char* caption : {"ACC", "AAPC", "AACC", "Thresholds"})
            tabs.addPage(QString::fromLatin1(caption));
        tabs.resize(500, 200);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        QSignalSpy spy(&tabs, &TabControl::tabChanged);
        QTabBar* bar = tabs.findChild<QTabBar*>();
        auto click = [bar](int i) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
        };

        // The event carries the new and the previous tab; no change, no event.
        click(4);
        tabs.setCurrentIndex(0);
        tabs.setCurrentIndex(0);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), 4);
        QCOMPARE(spy.at(0).at(1).toInt(), 0);
        QCOMPARE(spy.at(1).at(1).toInt(), 4);

        // The board runs in ACC while tab 0 is shown: every tab but ACC's is disabled, the shown
        // one stays, and only the enabled one can be chosen.
        spy.clear();
        for (int i = 0; i < 5; ++i)
            tabs.setTabEnabled(i, i == 1);
        QCOMPARE(tabs.currentWidget(), first);
        click(2);
        QCOMPARE(tabs.currentIndex(), 0);
        QCOMPARE(spy.size(), 0);
        click(1);
        QCOMPARE(tabs.currentIndex(), 1);
        QCOMPARE(spy.size(), 1);
    }
};

QTEST_MAIN(TestTabs)
#include "test_tabs.moc"
