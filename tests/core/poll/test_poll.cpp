#include "core/AppState.h"
#include "core/poll/Poll.h"
#include "support/ManualClock.h"
#include "support/NullPort.h"
#include "support/ScriptedPrompts.h"

#include <QElapsedTimer>
#include <QTest>


using namespace tav;

namespace {

struct Fixture {
    test::NullPort port;
    test::ManualClock clock;
    test::ScriptedPrompts prompts;
    AppState s{QStringLiteral("."), port, clock, prompts};
    Poll poll{s};
    int calls = 0;
    // 10:00:00 on 3 March; the poll sees that moment plus the manual clock's progress.
    QDateTime base{QDate(2026, 3, 3), QTime(10, 0, 0)};
    qint64 origin = clock.now();

    explicit Fixture(int period = 250) {
        poll.currentTime = [this] { return base.addMSecs(clock.now() - origin); };
        poll.setRefresh(5, [this] { ++calls; });
        s.FenetreActive = 5;
        s.TempsRafraichissement = period;
    }
};

} // namespace

class TestPoll : public QObject {
    Q_OBJECT
private slots:
    void startAndStop() {
        Fixture f;
        f.poll.start();
        QVERIFY(f.poll.isEnabled() && f.poll.period() == 250 && f.s.RafraichissementDemande);
        f.poll.stop();
        QVERIFY(!f.poll.isEnabled() && f.s.FenetreActive == AppState::kNoWindow);

        // Above 65535 ms the timer runs at 65535 ms; the setting itself is untouched.
        f.s.TempsRafraichissement = 70000;
        f.poll.start();
        QCOMPARE(f.poll.period(), 65535);
        QCOMPARE(f.s.TempsRafraichissement, 70000);

        // A period of 0 stops the timer at its first tick, without work.
        f.s.TempsRafraichissement = 0;
        f.poll.start();
        f.poll.TraiterTop();
        QVERIFY(!f.poll.isEnabled());
        QCOMPARE(f.calls, 0);
    }

    // The second of the year and the due time across New Year (the period in whole seconds:
    // ticksHeldBackByPeriod).
    void dueTimeAcrossNewYear() {
        QCOMPARE(secondsSinceYearStart(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1, 999))), 86401);
        const qint64 lastSecond = 365LL * 86400 - 1;
        QCOMPARE(secondsSinceYearStart(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59), Qt::UTC)),
                 lastSecond);
        qint32 due = 0;
        QVERIFY(echeanceReached(due, lastSecond, 1500));
        QVERIFY(!echeanceReached(due, lastSecond + 1, 1500));
        // The count restarts at 0 on 1 January: the poll goes on instead of waiting a year.
        QVERIFY(echeanceReached(due, 0, 1500));
        QVERIFY(!echeanceReached(due, 1, 1500));
        QVERIFY(echeanceReached(due, 2, 1500));
    }

    void ticksHeldBackByPeriod_data() {
        QTest::addColumn<int>("period");
        QTest::addColumn<QString>("worked"); // one character per tick: 1 works, 0 held back
        // Up to 500 ms nothing is held back; 1500 ms rounds to 2 s, so every other tick waits;
        // 2500 ms also rounds to 2 s, which its ticks always reach.
        QTest::newRow("500") << 500 << QStringLiteral("11111111");
        QTest::newRow("1500") << 1500 << QStringLiteral("10101010");
        QTest::newRow("2500") << 2500 << QStringLiteral("11111111");
    }
    void ticksHeldBackByPeriod() {
        QFETCH(int, period);
        QFETCH(QString, worked);
        Fixture f(period);
        f.poll.start();
        QString seen;
        for (int i = 0; i < worked.size(); ++i) {
            const int before = f.calls;
            f.poll.TraiterTop();
            seen += f.calls > before ? u'1' : u'0';
            f.clock.advance(period);
        }
        QCOMPARE(seen, worked);
    }

    void dispatchByWindowCode() {
        Fixture f;
        QList<int> served;
        for (int code : {1, 2, 3, 5, 6})
            f.poll.setRefresh(code, [&served, code] { served << code; });
        f.poll.start();
        for (int code : {1, 2, 3, 4, 5, 6, 0, int(AppState::kNoWindow)}) {
            f.s.FenetreActive = qint16(code);
            f.poll.TraiterTop();
        }
        QCOMPARE(served, (QList<int>{1, 2, 3, 5, 6}));

        // A window that closes during its own refresh (clearing its registration) finishes it.
        bool done = false;
        f.poll.setRefresh(3, [&f, &done] {
            f.poll.clearRefresh(3);
            f.poll.stop();
            done = true;
        });
        f.s.FenetreActive = 3;
        f.poll.TraiterTop();
        QVERIFY(done);
        QVERIFY(!f.poll.isEnabled());
    }

    void tickFiringInsideATickDoesNothing() {
        Fixture f(1);
        int entries = 0, depth = 0, maxDepth = 0;
        f.poll.setRefresh(5, [&] {
            ++entries;
            maxDepth = std::max(maxDepth, ++depth);
            if (entries == 1) {
                // The panel is closed and opened again from an event handled inside this tick:
                // the timer restarts and fires while the tick still runs.
                f.poll.stop();
                f.s.FenetreActive = 5;
                f.poll.start();
            }
            // A refresh lets pending events run between its commands.
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 15)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            f.poll.TraiterTop(); // a direct nested call is refused as well
            --depth;
        });
        f.poll.start();
        QTRY_VERIFY_WITH_TIMEOUT(entries >= 3, 20000);
        f.poll.stop();
        QCOMPARE(maxDepth, 1);
        QVERIFY(!f.poll.tickRunning());
    }
};

QTEST_GUILESS_MAIN(TestPoll)
#include "test_poll.moc"
