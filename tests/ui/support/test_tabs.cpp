#include "ui/support/Tabs.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

using tav::TabControl;

class TestTabs : public QObject {
    Q_OBJECT

private slots:
    void changeEventCarriesNewAndPreviousTab();
    void disablingKeepsTheCurrentTab();
};

namespace {

void clickTab(TabControl& tabs, int index) {
    QTabBar* bar = tabs.findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

} // namespace

void TestTabs::changeEventCarriesNewAndPreviousTab() {
    TabControl tabs;
    for (const char* caption : {"APC", "ACC", "AAPC", "AACC", "Thresholds"})
        tabs.addPage(QString::fromLatin1(caption));
    tabs.resize(500, 200);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QSignalSpy spy(&tabs, &TabControl::tabChanged);

    clickTab(tabs, 4);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 4);
    QCOMPARE(spy.at(0).at(1).toInt(), 0);
    QCOMPARE(tabs.currentIndex(), 4);

    tabs.setCurrentIndex(1);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(1).at(1).toInt(), 4);
    tabs.setCurrentIndex(1); // no change, no event
    QCOMPARE(spy.size(), 2);

    tabs.setTabText(0, QStringLiteral("Puissance"));
    QCOMPARE(tabs.tabText(0), QStringLiteral("Puissance"));
    tabs.setHeight(113);
    QCOMPARE(tabs.height(), 113);
}

void TestTabs::disablingKeepsTheCurrentTab() {
    TabControl tabs;
    QWidget* first = tabs.addPage(QStringLiteral("APC"));
    for (const char* caption : {"ACC", "AAPC", "AACC"})
        tabs.addPage(QString::fromLatin1(caption));
    tabs.resize(500, 200);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QSignalSpy spy(&tabs, &TabControl::tabChanged);

    // The board runs in ACC while tab 0 is shown: every tab but ACC's is disabled.
    for (int i = 0; i < 4; ++i)
        tabs.setTabEnabled(i, i == 1);
    QCOMPARE(tabs.currentIndex(), 0);
    QCOMPARE(tabs.currentWidget(), first);
    QVERIFY(!tabs.isTabEnabled(0));
    QCOMPARE(spy.size(), 0);

    // The operator cannot choose a disabled tab, only the enabled one.
    clickTab(tabs, 2);
    QCOMPARE(tabs.currentIndex(), 0);
    QCOMPARE(spy.size(), 0);
    clickTab(tabs, 1);
    QCOMPARE(tabs.currentIndex(), 1);
    QCOMPARE(spy.size(), 1);

    for (int i = 0; i < 4; ++i)
        tabs.setTabEnabled(i, true);
    QCOMPARE(tabs.currentIndex(), 1);
    QCOMPARE(spy.size(), 1);
}

QTEST_MAIN(TestTabs)
#include "test_tabs.moc"
