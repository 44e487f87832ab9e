#include "platform/WakeWatcher.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;

namespace {

void sendPrepareForSleep(QDBusConnection& logind, bool sleeping)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    signal << sleeping;
    QVERIFY(logind.send(signal));
}

} // namespace

class tst_WakeWatcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // logind says when the computer wakes; while it is there, the wall clock is not watched.
    void logindTellsOfAWake()
    {
        test::PrivateBus bus;
        QDBusConnection logind = bus.connect("logind");
        QVERIFY(logind.registerService("org.freedesktop.login1"));
        test::ManualClock clock;
        WakeWatcher watcher(bus.connection(), clock);
        QSignalSpy woke(&watcher, &WakeWatcher::woke);
        MV_TRY_VERIFY(watcher.logindPresent());

        clock.set(clock.now().addSecs(3600));
        clock.advance(WakeWatcher::checkInterval);
        sendPrepareForSleep(logind, true);
        sendPrepareForSleep(logind, false);
        MV_TRY_COMPARE(woke.count(), 1);

        // Gone from the bus, logind can no longer tell: the wall clock takes over.
        QVERIFY(logind.unregisterService("org.freedesktop.login1"));
        MV_TRY_VERIFY(!watcher.logindPresent());
        clock.set(clock.now().addSecs(3600));
        clock.advance(WakeWatcher::checkInterval);
        QCOMPARE(woke.count(), 2);
    }

    // Without logind (no system bus at all, or none on it) a wall clock that ran on further than the
    // monotonic clock by more than a minute between two checks is a wake.
    void clockJumpIsAWakeWithoutLogind_data()
    {
        QTest::addColumn<bool>("withBus");
        QTest::addColumn<int>("jumpSeconds");
        QTest::addColumn<int>("wakes");
        QTest::newRow("no bus, steady clock") << false << 0 << 0;
        QTest::newRow("no bus, 50 s") << false << 50 << 0;
        QTest::newRow("no bus, 2 hours") << false << 7200 << 1;
        QTest::newRow("bus without logind, 2 hours") << true << 7200 << 1;
        QTest::newRow("clock set back") << false << -7200 << 0;
    }
    void clockJumpIsAWakeWithoutLogind()
    {
        QFETCH(bool, withBus);
        QFETCH(int, jumpSeconds);
        QFETCH(int, wakes);
        std::optional<test::PrivateBus> bus;
        if (withBus)
            bus.emplace();
        test::ManualClock clock;
        WakeWatcher watcher(bus ? bus->connection() : QDBusConnection("not connected"), clock);
        QSignalSpy woke(&watcher, &WakeWatcher::woke);

        clock.advance(WakeWatcher::checkInterval);
        clock.set(clock.now().addSecs(jumpSeconds));
        clock.advance(WakeWatcher::checkInterval);
        QCOMPARE(woke.count(), wakes);
        clock.advance(WakeWatcher::checkInterval);
        QCOMPARE(woke.count(), wakes);
        QVERIFY(!watcher.logindPresent());
    }
};

QTEST_GUILESS_MAIN(tst_WakeWatcher)
#include "tst_WakeWatcher.moc"
