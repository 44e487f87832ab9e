#include "coordination/DestinationMonitor.h"
#include "model/ConfigurationStore.h"
#include "model/VolumeInspector.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/Mount.h"
#include "support/TempDir.h"

#include <QDir>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>

using namespace mv;
using namespace std::chrono_literals;

namespace {

BackupDestination destination(const QString& name, DestinationKind kind, const QString& path)
{
    BackupDestination made = BackupDestination::create(QDateTime::currentDateTimeUtc());
    made.name = name;
    made.kind = kind;
    made.path = path;
    return made;
}

BackupJob job(const QString& name, QList<BackupDestination> destinations)
{
    BackupJob made = BackupJob::create(QDateTime::currentDateTimeUtc());
    made.name = name;
    made.destinations = std::move(destinations);
    return made;
}

// The callbacks' calls, in order, as short lines.
void attach(DestinationMonitor& monitor, const ConfigurationStore& store, QStringList& lines)
{
    monitor.onBecameAvailable = [&](const QUuid& jobID, const QUuid& destinationID) {
        const auto owner = store.job(jobID);
        QString name = QStringLiteral("?");
        for (const BackupDestination& d : owner ? owner->destinations : QList<BackupDestination>())
            if (d.id == destinationID)
                name = d.name;
        lines << QStringLiteral("available ") + name;
    };
    monitor.onWentOffline = [&](const BackupJob& owner, const BackupDestination& d, const QString& reason) {
        lines << QStringLiteral("offline %1/%2: %3").arg(owner.name, d.name, reason);
    };
}

} // namespace

class tst_DestinationMonitor : public QObject {
    Q_OBJECT

    std::optional<test::TempDir> m_support;

    // Refreshes and waits until the judgements are applied.
    static bool refreshed(DestinationMonitor& monitor)
    {
        QSignalSpy done(&monitor, &DestinationMonitor::refreshed);
        monitor.refresh();
        return done.wait(20000);
    }

    static Availability entry(
        const DestinationMonitor& monitor, const BackupJob& j, const BackupDestination& d)
    {
        return monitor.availability().value(
            DestinationRef { j.id, d.id }, Availability { Availability::State::unknown, "no entry" });
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!test::enterPrivateMountNamespace())
            QSKIP("mounting needs root");
    }
    void init() { m_support.emplace(); }
    void cleanup() { m_support.reset(); }

    // Drives and shares judged from real folders and mounts: the three reasons exactly, and each callback
    // once per change, in the order of the jobs and their destinations.
    void judgesDrivesAndSharesFromTheFileSystem()
    {
        test::TempDir root;
        auto drive = test::Mount::tmpfs(root.mkdir("drive"), "size=1m");
        const QString mountPoint = root.mkdir("mnt/backup");
        std::optional<test::Mount> plugged;
        plugged.emplace(test::Mount::bind(drive.target(), mountPoint));
        const auto identity = VolumeInspector::volume(mountPoint);
        QVERIFY(identity);

        BackupDestination ssd
            = destination("Backup SSD", DestinationKind::local, root.filePath("Volumes/Backup SSD/Docs"));
        BackupDestination unset = destination("Unset", DestinationKind::network, " \n");
        BackupDestination mounted = destination("Mounted", DestinationKind::local, mountPoint + "/");
        mounted.volumeIdentity = identity->identity;
        BackupDestination moved
            = destination("Moved", DestinationKind::local, root.filePath("elsewhere/deeper/Docs"));
        moved.volumeIdentity = identity->identity;
        BackupDestination share = destination("Share", DestinationKind::network, root.mkdir("share"));
        const BackupJob documents = job("Documents", { ssd, unset, mounted, moved });
        BackupJob off = job("Off", { share });
        off.isEnabled = false;
        test::ManualClock clock;
        ConfigurationStore store(m_support->path(), clock);
        store.addJob(documents);
        store.addJob(off);
        DestinationMonitor monitor(store, clock);
        QStringList calls;
        attach(monitor, store, calls);

        QVERIFY(refreshed(monitor));
        QCOMPARE(calls,
            (QStringList { "offline Documents/Backup SSD: Backup SSD is not available.",
                "offline Documents/Unset: No destination folder is set.",
                "offline Documents/Moved: Moved is not available." }));
        QCOMPARE(entry(monitor, documents, ssd), Availability::offline("Backup SSD is not available."));
        QCOMPARE(entry(monitor, documents, mounted), Availability::online());
        QCOMPARE(entry(monitor, off, share), Availability::online());
        calls.clear();
        QVERIFY(refreshed(monitor));
        QCOMPARE(calls, QStringList {});

        // The drive's folder appears; the other drive is unmounted, leaving its empty mount point behind; the
        // moved destination's parent now exists on another volume, a new reason.
        root.mkdir("Volumes/Backup SSD");
        root.mkdir("elsewhere/deeper");
        plugged.reset();
        QVERIFY(refreshed(monitor));
        const QString otherVolume = "A different volume is mounted at " + mountPoint + "/.";
        QCOMPARE(calls,
            (QStringList { "available Backup SSD", "offline Documents/Mounted: " + otherVolume,
                "offline Documents/Moved: A different volume is mounted at " + moved.path + "." }));
        QCOMPARE(entry(monitor, documents, mounted), Availability::offline(otherVolume));
        calls.clear();
        QVERIFY(refreshed(monitor));
        QCOMPARE(calls, QStringList {});

        plugged.emplace(test::Mount::bind(drive.target(), mountPoint));
        QVERIFY(refreshed(monitor));
        QCOMPARE(calls, QStringList { "available Mounted" });
    }

    // SSH destinations are judged once, from their last result, and never again; Drive destinations get no
    // entry; a deleted destination keeps its last one. None of them calls back.
    void remoteAndDeletedDestinationsKeepTheirEntries()
    {
        test::TempDir root;
        BackupDestination failed = destination("Failed", DestinationKind::ssh, "/srv/backup");
        failed.lastResult = RunResult::failed;
        failed.lastError = QString();
        BackupDestination fine = destination("Fine", DestinationKind::ssh, "/srv/backup");
        fine.lastResult = RunResult::success;
        BackupDestination failedWithoutError = destination("Quiet", DestinationKind::ssh, "/srv/backup");
        failedWithoutError.lastResult = RunResult::failed;
        const BackupDestination drive = destination("Drive", DestinationKind::googleDrive, {});
        const BackupDestination gone
            = destination("Gone", DestinationKind::local, root.filePath("missing/Docs"));
        const BackupJob remote = job("Remote", { failed, fine, failedWithoutError, drive });
        const BackupJob deleted = job("Deleted", { gone });
        test::ManualClock clock;
        ConfigurationStore store(m_support->path(), clock);
        store.addJob(remote);
        store.addJob(deleted);
        DestinationMonitor monitor(store, clock);
        QStringList calls;
        attach(monitor, store, calls);

        QVERIFY(refreshed(monitor));
        QCOMPARE(entry(monitor, remote, failed), Availability::unknown());
        QCOMPARE(entry(monitor, remote, fine), Availability::online());
        QCOMPARE(entry(monitor, remote, failedWithoutError), Availability::online());
        QVERIFY(!monitor.availability().contains(DestinationRef { remote.id, drive.id }));
        QCOMPARE(calls, QStringList { "offline Deleted/Gone: Gone is not available." });

        store.updateDestination(remote.id, failed.id, [](BackupDestination& d) {
            d.lastResult = RunResult::success;
            d.lastError.reset();
        });
        store.updateDestination(remote.id, fine.id, [](BackupDestination& d) {
            d.lastResult = RunResult::failed;
            d.lastError = "Permission denied";
        });
        store.deleteJob(deleted.id);
        calls.clear();
        QVERIFY(refreshed(monitor));
        QCOMPARE(entry(monitor, remote, failed), Availability::unknown());
        QCOMPARE(entry(monitor, remote, fine), Availability::online());
        QCOMPARE(entry(monitor, deleted, gone), Availability::offline("Gone is not available."));
        QCOMPARE(monitor.availability().size(), 4);
        QCOMPARE(calls, QStringList {});
    }

    // A check that hangs (a dead network mount) holds up neither the main thread nor the refresh past its
    // bound: the others' judgements are applied, and the hung destination keeps its last one. While it still
    // hangs no second check of it is started; once it answers, the next refresh judges it again.
    void aHungCheckKeepsItsLastJudgement()
    {
        test::TempDir root;
        const BackupDestination stuck
            = destination("Stuck", DestinationKind::network, root.mkdir("nfs/share"));
        const BackupDestination disk = destination("Disk", DestinationKind::local, root.mkdir("disk/Docs"));
        const BackupJob documents = job("Documents", { stuck, disk });
        test::ManualClock clock;
        ConfigurationStore store(m_support->path(), clock);
        store.addJob(documents);

        std::atomic<bool> hang = false;
        std::atomic<int> stuckChecks = 0;
        QSemaphore release;
        DestinationMonitor monitor(store, clock, [&](const BackupDestination& d) {
            if (d.id == stuck.id) {
                ++stuckChecks;
                if (hang)
                    release.acquire();
            }
            return judgeDestination(d);
        });
        QStringList calls;
        attach(monitor, store, calls);
        QVERIFY(refreshed(monitor));
        QCOMPARE(entry(monitor, documents, stuck), Availability::online());

        hang = true;
        QDir(root.filePath("nfs")).removeRecursively();
        QDir(root.filePath("disk")).removeRecursively();
        QSignalSpy done(&monitor, &DestinationMonitor::refreshed);
        monitor.refresh();
        monitor.refresh(); // asked for again meanwhile: runs after this one
        MV_TRY_COMPARE(stuckChecks.load(), 2);
        // The disk's answer is in before the bound passes; only the stuck one is still out.
        MV_TRY_VERIFY(!monitor.isChecking({ documents.id, disk.id }));
        QCOMPARE(done.count(), 0);
        clock.advance(DestinationMonitor::checkBound);
        QVERIFY(done.count() >= 1); // the refresh asked for meanwhile may be done too: it waits for no one
        QCOMPARE(calls, QStringList { "offline Documents/Disk: Disk is not available." });
        QCOMPARE(entry(monitor, documents, stuck), Availability::online());

        // The second refresh does not wait for the destination still hanging, nor start another check of it.
        MV_TRY_COMPARE(done.count(), 2);
        QCOMPARE(stuckChecks.load(), 2);
        QCOMPARE(entry(monitor, documents, stuck), Availability::online());

        hang = false;
        release.release();
        // Once the worker is free again (its late answer is dropped), a refresh judges the destination anew.
        const Availability missing = Availability::offline("Stuck is not available.");
        for (int attempt = 0; attempt < 500 && entry(monitor, documents, stuck) != missing; ++attempt)
            QVERIFY(refreshed(monitor));
        QCOMPARE(entry(monitor, documents, stuck), missing);
    }

    // The program may quit while a check still hangs: its answer, when it comes, reaches no one.
    void destroyedWhileACheckHangs()
    {
        test::TempDir root;
        test::ManualClock clock;
        ConfigurationStore store(m_support->path(), clock);
        store.addJob(job("Documents", { destination("Stuck", DestinationKind::network, root.path()) }));
        QSemaphore started;
        QSemaphore release;
        QSemaphore answered;
        {
            DestinationMonitor monitor(store, clock, [&](const BackupDestination& d) {
                started.release();
                release.acquire();
                const Availability result = judgeDestination(d);
                answered.release();
                return result;
            });
            monitor.refresh();
            QVERIFY(started.tryAcquire(1, 20000));
        }
        release.release();
        QVERIFY(answered.tryAcquire(1, 20000));
        QCoreApplication::processEvents();
    }

    // Each start refreshes at once and leaves one timer, which refreshes every 30 seconds.
    void startTwiceKeepsOneTimer()
    {
        test::ManualClock clock;
        ConfigurationStore store(m_support->path(), clock);
        store.addJob(job("Documents", { destination("Disk", DestinationKind::local, "/") }));
        clock.advance(1s);
        DestinationMonitor monitor(store, clock);
        QSignalSpy done(&monitor, &DestinationMonitor::refreshed);
        monitor.start();
        MV_TRY_COMPARE(done.count(), 1);
        monitor.start();
        MV_TRY_COMPARE(done.count(), 2);
        QCOMPARE(clock.pendingAlarms(), 1);
        clock.advance(29s);
        QCOMPARE(done.count(), 2);
        clock.advance(1s);
        MV_TRY_COMPARE(done.count(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_DestinationMonitor)
#include "tst_DestinationMonitor.moc"
