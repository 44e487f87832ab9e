#include "platform/Clock.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"

#include <QtTest>

using namespace std::chrono_literals;

class tst_Clock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manualClockFiresAlarmsInDeadlineOrderOnlyWhenDue()
    {
        mv::test::ManualClock clock;
        const QDateTime start = clock.now();
        QStringList fired;
        auto late = clock.after(2s, [&] { fired << "late"; });
        auto early = clock.after(1s, [&] { fired << "early"; });
        auto cancelled = clock.after(1s, [&] { fired << "cancelled"; });
        cancelled->cancel();

        clock.advance(999ms);
        QVERIFY(fired.isEmpty());
        clock.advance(1ms);
        QCOMPARE(fired, QStringList { "early" });
        clock.advance(5s);
        QCOMPARE(fired, (QStringList { "early", "late" }));
        QCOMPARE(clock.now(), start.addMSecs(6000));
        QCOMPARE(clock.pendingAlarms(), 0);
    }

    void sleepEndsAtItsDeadlineOrWhenWoken()
    {
        mv::test::ManualClock clock;
        mv::Sleep byTime(clock, 30s);
        mv::Sleep byWake(clock, 30s);
        QSignalSpy timeSpy(&byTime, &mv::Sleep::finished);
        QSignalSpy wakeSpy(&byWake, &mv::Sleep::finished);

        byWake.wake();
        byWake.wake();
        QCOMPARE(wakeSpy.count(), 1);
        clock.advance(29s);
        QCOMPARE(timeSpy.count(), 0);
        clock.advance(1s);
        QCOMPARE(timeSpy.count(), 1);
        QVERIFY(byTime.isFinished());
    }

    void systemClockSleepsForReal()
    {
        QElapsedTimer timer;
        timer.start();
        bool done = false;
        [](bool& flag) -> QCoro::Task<> {
            co_await mv::sleepFor(mv::Clock::system(), 50ms);
            flag = true;
        }(done);
        MV_TRY_VERIFY(done);
        QVERIFY(timer.elapsed() >= 45);
    }
};

QTEST_GUILESS_MAIN(tst_Clock)
#include "tst_Clock.moc"
