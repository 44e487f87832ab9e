#include "coordination/DestinationMonitor.h"
#include "coordination/SchedulerService.h"
#include "coordination/WakeResponse.h"
#include "model/ConfigurationStore.h"
#include "platform/WakeWatcher.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"

#include <QDBusMessage>
#include <QSignalSpy>
#include <QtTest>

using namespace mv;

class tst_WakeResponse : public QObject {
    Q_OBJECT

    std::optional<test::TempDir> m_support;

private Q_SLOTS:
    void init() { m_support.emplace(); }
    void cleanup() { m_support.reset(); }

    // After a night asleep the missed run is asked for first, and only then is the drive that came back
    // reported, whether logind told of the wake or the wall clock's jump gave it away.
    void schedulerTicksBeforeTheMonitorRefreshes_data()
    {
        QTest::addColumn<bool>("logind");
        QTest::newRow("PrepareForSleep(false)") << true;
        QTest::newRow("wall clock jump") << false;
    }
    void schedulerTicksBeforeTheMonitorRefreshes()
    {
        QFETCH(bool, logind);
        test::TempDir root;
        test::PrivateBus bus;
        QDBusConnection logindSide = bus.connect("logind");
        if (logind)
            QVERIFY(logindSide.registerService("org.freedesktop.login1"));

        test::ManualClock clock;
        const QDateTime evening = clock.now();
        ConfigurationStore store(m_support->path(), clock);
        BackupJob job = BackupJob::create(evening);
        BackupDestination disk = BackupDestination::create(evening);
        disk.name = "Disk";
        disk.path = root.mkdir("disk");
        disk.schedule.kind = ScheduleKind::hourly;
        disk.nextRun = evening.addSecs(3600);
        BackupDestination drive = BackupDestination::create(evening);
        drive.name = "Drive";
        drive.path = root.filePath("drive/Backups");
        job.destinations = { disk, drive };
        store.addJob(job);

        SchedulerService scheduler(store, clock);
        DestinationMonitor monitor(store, clock);
        QStringList events;
        scheduler.onMissed = [&](const BackupJob&, const BackupDestination& d, const QDateTime&) {
            events << "missed " + d.name;
        };
        scheduler.onRunDue = [&](const QUuid&, const QUuid&, RunTrigger) { events << "due"; };
        monitor.onBecameAvailable = [&](const QUuid&, const QUuid&) { events << "available"; };
        QSignalSpy refreshed(&monitor, &DestinationMonitor::refreshed);
        monitor.refresh();
        QVERIFY(refreshed.wait(20000));
        QCOMPARE(monitor.availability().value({ job.id, drive.id }),
            Availability::offline("Drive is not available."));

        WakeWatcher watcher(bus.connection(), clock);
        respondToWake(watcher, scheduler, monitor, clock);
        MV_TRY_COMPARE(watcher.logindPresent(), logind);

        // Asleep for ten hours while the drive was plugged in.
        root.mkdir("drive");
        clock.set(evening.addSecs(10 * 3600));
        if (logind) {
            QDBusMessage signal = QDBusMessage::createSignal(
                "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
            signal << false;
            QVERIFY(logindSide.send(signal));
        } else {
            clock.advance(WakeWatcher::checkInterval);
        }
        MV_TRY_COMPARE(events, (QStringList { "missed Disk", "available" }));
        QCOMPARE(store.config().jobs[0].destinations[0].nextRun,
            std::optional(evening.addSecs(10 * 3600 + 39 * 60)));
    }
};

QTEST_GUILESS_MAIN(tst_WakeResponse)
#include "tst_WakeResponse.moc"
