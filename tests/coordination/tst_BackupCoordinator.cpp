#include "coordination/RunEnding.h"
#include "engine/RsyncProcessController.h"
#include "support/CoordinatorHarness.h"
#include "support/EnumCompare.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace mv;
using namespace std::chrono_literals;
using mv::test::ManualClock;
using mv::test::NotificationServer;
using mv::test::ScriptedRsync;

using Harness = mv::test::CoordinatorHarness;
using mv::test::drive;
using mv::test::local;
using mv::test::Place;
using mv::test::ssh;

class tst_BackupCoordinator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QFileInfo("/usr/bin/rsync").isExecutable());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void turnedOffIsRefused_data()
    {
        QTest::addColumn<bool>("jobEnabled");
        QTest::addColumn<bool>("destinationEnabled");
        QTest::newRow("job") << false << true;
        QTest::newRow("destination") << true << false;
    }
    void turnedOffIsRefused()
    {
        QFETCH(bool, jobEnabled);
        QFETCH(bool, destinationEnabled);
        Harness h;
        BackupJob job = h.addJob("Docs", local("ssd"));
        job.isEnabled = jobEnabled;
        job.destinations[0].isEnabled = destinationEnabled;
        const RunKey key = h.enqueue(job);

        QVERIFY(h.coordinator.runs().isEmpty());
        QCOMPARE(h.coordinator.issue()->title, QStringLiteral("This backup is turned off"));
        QCOMPARE(h.coordinator.issue()->message, QStringLiteral("Enable Docs before running it."));
        QVERIFY(!h.coordinator.issue()->recovery);
        QCOMPARE(h.lastResult(key), "none");
    }

    // One writer per folder: a run is refused while another live run (here one still queued behind a
    // limit of 1) writes to the same folder, however the folder is written.
    void secondWriterToAFolderIsRefused_data()
    {
        QTest::addColumn<Place>("first");
        QTest::addColumn<Place>("second");
        QTest::addColumn<bool>("busy");
        QTest::newRow("same path") << local("x") << local("x") << true;
        QTest::newRow("blanks, trailing slash, symbolic link")
            << local("x") << local("  link-to-x/ ") << true;
        QTest::newRow("other folder") << local("x") << local("y") << false;
        QTest::newRow("ssh, host case and trailing slash")
            << ssh("backup", "Example.COM", 22, "/srv/b/") << ssh("backup", "example.com", 22, "/srv/b")
            << true;
        QTest::newRow("ssh, bracketed address")
            << ssh("u", "[::1]", 22, "/b") << ssh("u", "::1", 22, "/b") << true;
        QTest::newRow("ssh, other port") << ssh("u", "h", 22, "/b") << ssh("u", "h", 2222, "/b") << false;
        QTest::newRow("ssh, other user") << ssh("u", "h", 22, "/b") << ssh("v", "h", 22, "/b") << false;
        QTest::newRow("drive, same folder") << drive("Photos") << drive("Photos") << true;
        QTest::newRow("drive, other folder") << drive("Photos") << drive("Music") << false;
    }
    void secondWriterToAFolderIsRefused()
    {
        QFETCH(Place, first);
        QFETCH(Place, second);
        QFETCH(bool, busy);
        Harness h;
        h.files.mkdir("x");
        QVERIFY(QFile::link(h.files.filePath("x"), h.files.filePath("link-to-x")));
        h.settings([](AppSettings& s) { s.maxConcurrentJobs = 1; });
        h.rsync.setBehaviour("blocker", ScriptedRsync::holdUntilReleased());
        const RunKey blocker = h.enqueue(h.addJob("Blocker", local("blocker")));
        const BackupJob a = h.addJob("A", first);
        const BackupJob b = h.addJob("B", second);
        const RunKey keyA = h.enqueue(a);
        const RunKey keyB = h.enqueue(b);

        QCOMPARE(h.phase(blocker), "preparing");
        QCOMPARE(h.phase(keyA), "queued");
        if (busy) {
            QCOMPARE(h.phase(keyB), "none");
            QCOMPARE(h.coordinator.issue()->title, QStringLiteral("Destination is busy"));
            QCOMPARE(h.coordinator.issue()->message,
                "A is already writing to " + a.destinations[0].displayPath() + ".");
            QCOMPARE(h.coordinator.issue()->recovery,
                "Wait for that run to finish. Marrowvale never writes to the same folder twice at once.");
            QCOMPARE(h.lastResult(keyB), "none");
        } else {
            QCOMPARE(h.phase(keyB), "queued");
            QVERIFY(!h.coordinator.issue());
            QCOMPARE(h.lastResult(keyB), "running");
        }
        MV_TRY_COMPARE(h.phase(blocker), "running"); // its checks are done before the folders go
    }

    // min(max(n, 1), 4) runs are active at once; the rest wait in the queue and start as runs end. A key
    // already live is ignored without an issue.
    void concurrencyLimit_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("active");
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("9") << 9 << 4;
    }
    void concurrencyLimit()
    {
        QFETCH(int, setting);
        QFETCH(int, active);
        Harness h;
        h.settings([setting](AppSettings& s) { s.maxConcurrentJobs = setting; });
        QList<RunKey> keys;
        for (int i = 0; i < 5; ++i) {
            const QString folder = QStringLiteral("d%1").arg(i);
            h.rsync.setBehaviour(folder, ScriptedRsync::holdUntilReleased());
            const BackupJob job = h.addJob(QStringLiteral("Job%1").arg(i), local(folder));
            keys.append(h.enqueue(job));
            h.enqueue(job);
        }
        QCOMPARE(h.coordinator.runs().size(), 5);
        QVERIFY(!h.coordinator.issue());
        QCOMPARE(h.coordinator.activeCount(), active);
        QCOMPARE(h.coordinator.activeRuns().size(), 5);
        MV_TRY_COMPARE(h.rsync.attempts("d0"), 1);

        for (int i = 0; i < 5; ++i)
            h.rsync.release(QStringLiteral("d%1").arg(i));
        for (const RunKey& key : keys)
            MV_TRY_COMPARE(h.phase(key), "completed");
        QCOMPARE(h.rows().size(), size_t(5));
        QCOMPARE(h.finished.size(), 5);
        QCOMPARE(h.recorded, 5);
    }

    // "Run All" queues every enabled destination of every enabled job; "Pause All" pauses the transfers.
    void runAllAndPauseAll()
    {
        Harness h;
        h.rsync.setBehaviour("a", ScriptedRsync::holdUntilReleased());
        h.rsync.setBehaviour("b", ScriptedRsync::holdUntilReleased());
        const RunKey a = Harness::key(h.addJob("A", local("a")));
        const RunKey b = Harness::key(h.addJob("B", local("b")));
        BackupJob off = h.addJob("Off", local("off"));
        off.isEnabled = false;
        h.store.replaceJob(off);

        h.coordinator.runAll(RunTrigger::schedule);
        QCOMPARE(h.coordinator.runs().size(), 2);
        QVERIFY(!h.coordinator.issue());
        MV_TRY_COMPARE(h.phase(a), "running");
        MV_TRY_COMPARE(h.phase(b), "running");
        h.coordinator.pauseAll();
        QCOMPARE(h.phase(a), "paused");
        QCOMPARE(h.phase(b), "paused");
        h.coordinator.togglePause(a.jobID, a.destinationID);
        QCOMPARE(h.phase(a), "running");

        h.rsync.release("a");
        h.rsync.release("b");
        h.coordinator.resume(b.jobID, b.destinationID);
        MV_TRY_COMPARE(h.recorded, 2);
        QCOMPARE(h.rows().front().trigger, RunTrigger::schedule);
    }

    // A pause that comes before the transfer's child exists is kept: the child starts stopped, the run
    // stays paused, and a resume lets it finish. A resume before the start drops the pause.
    void pauseBeforeTheChildStarts_data()
    {
        QTest::addColumn<bool>("resumeBeforeStart");
        QTest::newRow("paused while preparing") << false;
        QTest::newRow("resumed before the start") << true;
    }
    void pauseBeforeTheChildStarts()
    {
        QFETCH(bool, resumeBeforeStart);
        Harness h;
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        QCOMPARE(h.phase(key), "preparing");
        h.coordinator.togglePause(key.jobID, key.destinationID);
        QCOMPARE(h.phase(key), "paused");
        QCOMPARE(h.message(key), "Paused");
        if (resumeBeforeStart) {
            h.coordinator.togglePause(key.jobID, key.destinationID);
            QCOMPARE(h.phase(key), "preparing");
            MV_TRY_COMPARE(h.phase(key), "completed");
            return;
        }
        // The stand-in is stopped as it starts and stays so while the run stays paused.
        MV_TRY_VERIFY(stoppedChild() > 0);
        QCOMPARE(h.phase(key), "paused");
        h.coordinator.resume(key.jobID, key.destinationID);
        MV_TRY_COMPARE(stoppedChild(), 0);
        MV_TRY_COMPARE(h.phase(key), "completed");
        QCOMPARE(h.rsync.attempts("ssd"), 1);
    }

    // Held while the launch stops what an earlier process left writing: a run is admitted and waits in the
    // queue, however often the event loop turns, and starts once the hold ends.
    void startsWaitForTheHold()
    {
        Harness h;
        QPromise<void> stopping;
        stopping.start();
        h.coordinator.holdStartsUntil(stopping.future());
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        QCOMPARE(h.phase(key), "queued");
        QCoreApplication::processEvents();
        QCOMPARE(h.phase(key), "queued");
        QCOMPARE(h.rsync.attempts("ssd"), 0);

        stopping.finish();
        MV_TRY_COMPARE(h.phase(key), "completed");
        QCOMPARE(h.rsync.attempts("ssd"), 1);
    }

    // A queued run whose folder another active run writes is skipped; later runs start meanwhile, and it
    // starts once the folder is free.
    void pumpSkipsABusyFolder()
    {
        Harness h;
        h.settings([](AppSettings& s) {
            s.maxConcurrentJobs = 2;
            s.retryAttempts = 1;
        });
        h.rsync.setBehaviour("x", "[ $n = 1 ] && exit 23\n" + ScriptedRsync::holdUntilReleased());
        for (const QString folder : { "b", "d", "c" })
            h.rsync.setBehaviour(folder, ScriptedRsync::holdUntilReleased());
        const RunKey retrying = h.enqueue(h.addJob("Retrying", local("x")));
        MV_TRY_COMPARE(h.phase(retrying), "waiting");
        const RunKey b = h.enqueue(h.addJob("B", local("b")));
        const RunKey d = h.enqueue(h.addJob("D", local("d")));
        const RunKey queuedForX = h.enqueue(h.addJob("Q", local("x")));
        const RunKey c = h.enqueue(h.addJob("C", local("c")));
        QCOMPARE(h.phase(queuedForX), "queued");

        h.clock.advance(30s); // the retry goes on although two runs are active
        MV_TRY_COMPARE(h.rsync.attempts("x"), 2);
        h.rsync.release("b");
        h.rsync.release("d");
        MV_TRY_COMPARE(h.phase(b), "completed");
        MV_TRY_COMPARE(h.phase(d), "completed");
        MV_TRY_COMPARE(h.phase(c), "running");
        QCOMPARE(h.phase(queuedForX), "queued");

        h.rsync.release("x");
        MV_TRY_COMPARE(h.phase(retrying), "completed");
        MV_TRY_VERIFY(h.phase(queuedForX) != "queued");
        h.rsync.release("c");
        MV_TRY_COMPARE(h.phase(queuedForX), "completed");
    }

    // Each failed attempt waits for the retry delay and is retried with fresh checks and a log of its own;
    // the history holds one row for the whole run.
    void retriesWithOneHistoryRow_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<RunResult>("result");
        QTest::newRow("third attempt succeeds") << 2 << RunResult::success;
        QTest::newRow("every attempt fails") << 3 << RunResult::failed;
    }
    void retriesWithOneHistoryRow()
    {
        QFETCH(int, failures);
        QFETCH(RunResult, result);
        Harness h;
        h.settings([](AppSettings& s) {
            s.retryAttempts = 2;
            s.retryDelaySeconds = 30;
        });
        h.rsync.setBehaviour("ssd", QStringLiteral("[ $n -le %1 ] && exit 23").arg(failures));
        const qint64 start = h.clock.now().toSecsSinceEpoch();
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));

        for (int retry = 1; retry <= 2; ++retry) {
            MV_TRY_COMPARE(h.phase(key), "waiting");
            QCOMPARE(h.message(key), QStringLiteral("Retrying in 30s (%1/2)").arg(retry));
            QVERIFY(h.coordinator.activeRuns().isEmpty());
            QCOMPARE(h.rows().front().result, RunResult::running);
            h.clock.advance(29s);
            QCOMPARE(h.rsync.attempts("ssd"), retry);
            h.clock.advance(1s);
            MV_TRY_COMPARE(h.rsync.attempts("ssd"), retry + 1);
        }
        MV_TRY_COMPARE(h.phase(key), result == RunResult::success ? "completed" : "failed");
        QCOMPARE(h.rows().size(), size_t(1));
        QCOMPARE(h.rows().front().result, result);
        // Each attempt's log is named by the run's key and the second its transfer started.
        const QString prefix = key.jobID.toString(QUuid::WithoutBraces).toUpper() + '-'
            + key.destinationID.toString(QUuid::WithoutBraces).toUpper() + '-';
        QCOMPARE(h.logs(),
            QStringList(
                { prefix + QString::number(start) + ".log", prefix + QString::number(start + 30) + ".log",
                    prefix + QString::number(start + 60) + ".log" }));
        QCOMPARE(h.finished.size(), 1);
    }

    void retrySettings_data()
    {
        QTest::addColumn<qint64>("attemptsSetting");
        QTest::addColumn<qint64>("delaySetting");
        QTest::addColumn<std::optional<qint64>>("destinationLimit");
        QTest::addColumn<QString>("waiting"); // empty: no retry
        QTest::newRow("9 retries, 3 s")
            << qint64(9) << qint64(3) << std::optional<qint64>() << "Retrying in 5s (1/5)";
        QTest::newRow("0 s") << qint64(1) << qint64(0) << std::optional<qint64>() << "Retrying in 5s (1/1)";
        QTest::newRow("destination limit -2")
            << qint64(3) << qint64(30) << std::optional<qint64>(-2) << QString();
    }
    void retrySettings()
    {
        QFETCH(qint64, attemptsSetting);
        QFETCH(qint64, delaySetting);
        QFETCH(std::optional<qint64>, destinationLimit);
        QFETCH(QString, waiting);
        Harness h;
        h.settings([&](AppSettings& s) {
            s.retryAttempts = attemptsSetting;
            s.retryDelaySeconds = delaySetting;
        });
        h.rsync.setBehaviour("ssd", "exit 23");
        BackupJob job = h.addJob("Docs", local("ssd"));
        job.destinations[0].retryLimit = destinationLimit;
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.rsync.attempts("ssd"), 1);
        if (waiting.isEmpty()) {
            MV_TRY_COMPARE(h.phase(key), "failed");
        } else {
            MV_TRY_COMPARE(h.phase(key), "waiting");
            QCOMPARE(h.message(key), waiting);
        }
    }

    // Every ending's history row, destination status, entry, issue and notice.
    void endings_data()
    {
        QTest::addColumn<QString>("behaviour"); // of the stand-in, for folder "ssd"
        QTest::addColumn<QString>("setup");
        QTest::addColumn<RunResult>("result");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("lastError");
        QTest::addColumn<RunPhase>("phase");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("issue"); // title
        QTest::addColumn<QString>("notice"); // "title|body"

        const QString changed = "Some source files changed while copying. They will be picked up next time.";
        QTest::newRow("success") << ""
                                 << "" << RunResult::success << ""
                                 << "" << RunPhase::completed << "Backup complete"
                                 << ""
                                 << "";
        QTest::newRow("exit 24") << "/usr/bin/rsync \"$@\"; exit 24"
                                 << "" << RunResult::success << changed << changed << RunPhase::completed
                                 << changed << ""
                                 << "";
        QTest::newRow("failure, exit code")
            << "exit 23"
            << "" << RunResult::failed << "Some files could not be transferred (rsync code 23)."
            << "Some files could not be transferred (rsync code 23)." << RunPhase::failed
            << "Some files could not be transferred (rsync code 23)."
            << "Docs failed"
            << "Docs could not finish|Docs SSD: Some files could not be transferred (rsync code 23).";
        QTest::newRow("failure, error line")
            << "echo 'rsync: write failed: No space left on device (28)' >&2; exit 11"
            << "" << RunResult::failed << "rsync: write failed: No space left on device (28)"
            << "rsync: write failed: No space left on device (28)" << RunPhase::failed
            << "rsync: write failed: No space left on device (28)"
            << "Docs failed"
            << "Docs could not finish|Docs SSD: rsync: write failed: No space left on device (28)";
        QTest::newRow("cancelled") << ScriptedRsync::holdUntilReleased() << "cancel" << RunResult::cancelled
                                   << "Cancelled by the user. Partial files were kept."
                                   << "Cancelled" << RunPhase::cancelled
                                   << "Cancelled. Files already copied were kept."
                                   << ""
                                   << "";
        const QString offline
            = "Docs SSD is not available at %1. Reconnect the drive or share. Marrowvale did not "
              "create a replacement folder.";
        QTest::newRow("temporary preflight failure") << ""
                                                     << "offline" << RunResult::failed << offline << offline
                                                     << RunPhase::waiting << "Destination offline"
                                                     << "Destination offline"
                                                     << "Docs is waiting|" + offline;
        const QString nothing
            = "The source has no items after exclusions. Mirror would delete every file at the "
              "destination.";
        QTest::newRow("preflight failure") << ""
                                           << "empty mirror" << RunResult::failed
                                           << nothing
                + " Nothing was changed. Check that the source drive is mounted, then review the exclusion "
                  "rules."
                                           << nothing
                + " Nothing was changed. Check that the source drive is mounted, then review the exclusion "
                  "rules." << RunPhase::waiting
                                           << "Mirror stopped: nothing would be copied"
                                           << "Mirror stopped: nothing would be copied"
                                           << "Docs could not finish|Docs SSD: " + nothing;
        const QString deletions
            = "Mirror would delete 2 items at Docs SSD. Open the dashboard to review and confirm.";
        QTest::newRow("mirror with deletions") << ""
                                               << "mirror" << RunResult::skipped << deletions << deletions
                                               << RunPhase::waiting << "Needs confirmation"
                                               << "Mirror needs confirmation"
                                               << "Docs could not finish|Docs SSD: " + deletions;
        QTest::newRow("confirmed mirror") << ""
                                          << "confirmed mirror" << RunResult::success << ""
                                          << "" << RunPhase::completed << "Backup complete"
                                          << ""
                                          << "";
        // Drive runs have a road of their own (tst_GoogleDriveRuns); one that cannot plan ends as any
        // run that could not start.
        const QString noClient
            = "Import the OAuth client JSON and sign in with Google first. Open Settings → Google Drive.";
        QTest::newRow("google drive without a client")
            << ""
            << "drive" << RunResult::failed << noClient << noClient << RunPhase::waiting
            << "Google Drive is not configured"
            << "Google Drive is not configured"
            << "Docs could not finish|Docs SSD: Import the OAuth client JSON and sign in with Google first.";
    }
    void endings()
    {
        QFETCH(QString, behaviour);
        QFETCH(QString, setup);
        QFETCH(RunResult, result);
        QFETCH(QString, summary);
        QFETCH(QString, lastError);
        QFETCH(RunPhase, phase);
        QFETCH(QString, message);
        QFETCH(QString, issue);
        QFETCH(QString, notice);
        Harness h;
        MV_TRY_VERIFY(h.notifications.authorized());
        h.rsync.setBehaviour("ssd", behaviour);
        const QString place = setup == "offline" ? "unmounted/ssd" : "ssd";
        const BackupMode mode = setup.contains("mirror") ? BackupMode::mirror : BackupMode::incremental;
        BackupJob job = h.addJob("Docs", setup == "drive" ? drive("") : local(place), mode);
        if (setup.contains("mirror")) {
            h.files.write("ssd/old-1.txt", "x");
            h.files.write("ssd/old-2.txt", "y");
        }
        if (setup == "empty mirror") {
            QFile::remove(job.source.path + "/a.txt");
            QFile::remove(job.source.path + "/b.txt");
        }
        const RunKey key = h.enqueue(job, setup == "confirmed mirror");
        if (setup == "cancel") {
            MV_TRY_COMPARE(h.phase(key), "running");
            h.coordinator.cancel(key.jobID, key.destinationID);
            QCOMPARE(h.phase(key), "cancelling");
            QCOMPARE(h.message(key), QStringLiteral("Stopping safely"));
        }
        MV_TRY_COMPARE(h.recorded, 1);
        summary.replace("%1", h.files.filePath(place));
        lastError.replace("%1", h.files.filePath(place));
        notice.replace("%1", h.files.filePath(place));

        const BackupRunRecord row = h.rows().front();
        QCOMPARE(row.result, result);
        QCOMPARE(row.errorSummary.value_or(QString()), summary);
        QCOMPARE(row.endedAt, std::optional(h.clock.now()));
        QCOMPARE(row.destinationPath, job.destinations[0].displayPath());
        const BackupDestination status = h.destination(key);
        QCOMPARE(h.lastResult(key), toString(result));
        QCOMPARE(status.lastError.value_or(QString()), lastError);
        QCOMPARE(status.lastAttempt, std::optional(h.clock.now()));
        QCOMPARE(status.lastSuccess.has_value(), result == RunResult::success);
        QCOMPARE(h.phase(key), toString(phase));
        QCOMPARE(h.message(key), message);
        QCOMPARE(h.coordinator.issue() ? h.coordinator.issue()->title : QString(), issue);
        QVERIFY(h.finished == QList<RunKey> { key });
        if (result == RunResult::success) {
            QCOMPARE(h.progress(key).fraction.value_or(0), 1.0);
            QCOMPARE(mv::test::TempDir::read(h.files.filePath("ssd/a.txt")), QByteArray("alpha"));
            QCOMPARE(QFileInfo::exists(h.files.filePath("ssd/old-1.txt")), false);
            QVERIFY(row.logPath && QFileInfo::exists(*row.logPath));
        }
        if (setup.contains("mirror") && result != RunResult::success)
            QVERIFY(QFileInfo::exists(h.files.filePath("ssd/old-1.txt")));
        if (notice.isEmpty()) {
            QVERIFY(h.server.settle(h.bus.connection()));
            QVERIFY(h.server.notices().isEmpty());
        } else {
            MV_TRY_COMPARE(h.server.notices().size(), 1);
            const auto received = h.server.notices().first();
            QCOMPARE(received.title + "|" + received.body, notice);
        }
    }

    // rsync's transferred count already holds the updated files: a changed file counts once.
    void successCountsEachCopiedFileOnce()
    {
        Harness h;
        const BackupJob job = h.addJob("Docs", local("ssd"));
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "completed");
        QCOMPARE(h.progress(key).filesCompleted, 2);

        h.clock.advance(std::chrono::seconds(7));
        QFile changed(job.source.path + "/a.txt");
        QVERIFY(changed.open(QIODevice::Append));
        changed.write(" and more");
        changed.close();
        h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 2);
        QCOMPARE(h.phase(key), "completed");
        QCOMPARE(h.rows().front().filesUpdated, 1);
        QCOMPARE(h.progress(key).filesCompleted, 1);
    }

    // A notice for a success only when it copied more than 50,000,000 bytes or took more than 30 s.
    void successNotice_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("notifySuccess");
        QTest::addColumn<QString>("notice");
        QTest::newRow("50,000,000 bytes") << qint64(50'000'000) << true << "";
        QTest::newRow("50,000,001 bytes")
            << qint64(50'000'001) << true << "Docs is backed up|50 MB copied to Docs SSD in <time>.";
        QTest::newRow("1,000,000,000 bytes")
            << qint64(1'000'000'000) << true << "Docs is backed up|1 GB copied to Docs SSD in <time>.";
        QTest::newRow("switched off") << qint64(50'000'001) << false << "";
    }
    void successNotice()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, notifySuccess);
        QFETCH(QString, notice);
        Harness h;
        MV_TRY_VERIFY(h.notifications.authorized());
        h.settings([&](AppSettings& s) { s.notifySuccess = notifySuccess; });
        h.rsync.setBehaviour(
            "ssd", QStringLiteral("echo 'Total transferred file size: %1 bytes'; exit 0").arg(bytes));
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        MV_TRY_COMPARE(h.phase(key), "completed");
        QCOMPARE(h.rows().front().bytesTransferred, bytes);
        if (notice.isEmpty()) {
            QVERIFY(h.server.settle(h.bus.connection()));
            QVERIFY(h.server.notices().isEmpty());
        } else {
            MV_TRY_COMPARE(h.server.notices().size(), 1);
            // The time is the stand-in's own, longer on a busy machine.
            const QString received = h.server.notices()[0].title + "|" + h.server.notices()[0].body;
            QCOMPARE(QString(received).replace(QRegularExpression(" in \\d+s\\.$"), " in <time>."), notice);
        }
    }
    void successNoticeDuration_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("notice");
        QTest::newRow("20 s, 50,000,000 bytes") << 20.0 << qint64(50'000'000) << false;
        QTest::newRow("30 s") << 30.0 << qint64(0) << false;
        QTest::newRow("31 s") << 31.0 << qint64(0) << true;
    }
    void successNoticeDuration()
    {
        QFETCH(double, seconds);
        QFETCH(qint64, bytes);
        QFETCH(bool, notice);
        QCOMPARE(RunEnding::deservesSuccessNotice(seconds, bytes), notice);
    }

    // The "is waiting" notice of an offline destination is posted once, until a run of it succeeds.
    void offlineNoticeOncePerDestination()
    {
        Harness h;
        MV_TRY_VERIFY(h.notifications.authorized());
        const BackupJob job = h.addJob("Docs", local("unmounted/ssd"));
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 1);
        h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 2);
        QVERIFY(h.server.settle(h.bus.connection()));
        QCOMPARE(h.server.notices().size(), 1);
        QCOMPARE(h.server.notices()[0].title, QStringLiteral("Docs is waiting"));

        h.files.mkdir("unmounted");
        h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "completed");
        QDir(h.files.filePath("unmounted")).removeRecursively();
        h.enqueue(job);
        MV_TRY_COMPARE(h.server.notices().size(), 2);
        QCOMPARE(h.server.notices()[1].replacesId, h.server.notices()[0].id);
    }

    // A finished entry stays 6 s; queueing the key again within them keeps the new entry.
    void finishedEntryIsHeldSixSeconds()
    {
        Harness h;
        const BackupJob job = h.addJob("Docs", local("ssd"));
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "completed");
        h.clock.advance(5999ms);
        QCOMPARE(h.phase(key), "completed");
        h.clock.advance(1ms);
        QCOMPARE(h.phase(key), "none");

        h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "completed");
        h.clock.advance(2s);
        h.rsync.setBehaviour("ssd", ScriptedRsync::holdUntilReleased());
        h.enqueue(job);
        h.clock.advance(5s);
        QVERIFY(h.phase(key) != "none");
        MV_TRY_COMPARE(h.phase(key), "running");
        h.rsync.release("ssd");
        MV_TRY_COMPARE(h.phase(key), "completed");
    }

    // A cancel ends the run cancelled at whatever step it comes, and no transfer starts after it.
    void cancelIsNeverLost_data()
    {
        QTest::addColumn<QString>("when");
        QTest::addColumn<int>("attempts");
        QTest::newRow("preparing") << "preparing" << 0;
        QTest::newRow("waiting for a retry") << "waiting" << 1;
        QTest::newRow("running") << "running" << 1;
        QTest::newRow("paused") << "paused" << 1;
    }
    void cancelIsNeverLost()
    {
        QFETCH(QString, when);
        QFETCH(int, attempts);
        Harness h;
        h.settings([](AppSettings& s) { s.retryAttempts = 3; });
        h.rsync.setBehaviour("ssd", when == "waiting" ? "exit 23" : ScriptedRsync::holdUntilReleased());
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        if (when == "waiting")
            MV_TRY_COMPARE(h.phase(key), "waiting");
        if (when == "running" || when == "paused") {
            MV_TRY_COMPARE(h.phase(key), "running");
            MV_TRY_VERIFY(h.rsync.pid("ssd") > 0); // the attempt is counted
        }
        if (when == "paused") {
            h.coordinator.togglePause(key.jobID, key.destinationID);
            QCOMPARE(h.phase(key), "paused");
        }
        h.coordinator.cancel(key.jobID, key.destinationID);
        MV_TRY_COMPARE(h.phase(key), "cancelled");
        QCOMPARE(h.rows().front().result, RunResult::cancelled);
        QCOMPARE(h.rows().front().errorSummary, "Cancelled by the user. Partial files were kept.");
        QCOMPARE(h.lastResult(key), "cancelled");
        h.clock.advance(1h); // past any retry delay: no attempt follows, and the entry goes
        QCOMPARE(h.phase(key), "none");
        QCOMPARE(h.rsync.attempts("ssd"), attempts);
        QVERIFY(!h.coordinator.issue());
    }

    void cancelQueuedRestoresPreviousResult()
    {
        Harness h;
        h.settings([](AppSettings& s) { s.maxConcurrentJobs = 1; });
        h.rsync.setBehaviour("blocker", ScriptedRsync::holdUntilReleased());
        h.enqueue(h.addJob("Blocker", local("blocker")));
        BackupJob job = h.addJob("Docs", local("ssd"));
        h.store.updateDestination(
            job.id, job.destinations[0].id, [](BackupDestination& d) { d.lastResult = RunResult::failed; });
        job = *h.store.job(job.id);
        const RunKey key = h.enqueue(job);
        QCOMPARE(h.lastResult(key), "running");
        h.coordinator.cancel(key.jobID, key.destinationID);
        QCOMPARE(h.phase(key), "none");
        QCOMPARE(h.lastResult(key), "failed");
        h.rsync.release("blocker");
        MV_TRY_COMPARE(h.recorded, 1);
        QCOMPARE(h.rows().size(), size_t(1));
        QCOMPARE(h.rsync.attempts("ssd"), 0);
    }

    // Samples still on their way after a pause or a cancel update the figures but never make the run
    // "running" again; only resume() does.
    void lateSamplesKeepPausedAndCancelling()
    {
        Harness h;
        // The late sample is written by a helper in a session of its own, which the pause does not stop,
        // once the test has paused the run: a sample that is certain to arrive after the pause. The
        // samples start only once the helper has left the run's process group.
        h.rsync.setBehaviour("ssd",
            "sample() { printf '      %s  %s%%  1.00MB/s    0:00:01 (xfr#1, to-chk=1/2)\\r' \"$1\" \"$2\"; "
            "}\n"
            "late() { touch \"$control/late.away\"; while [ ! -f \"$control/late.go\" ]; do "
            "kill -0 $test 2>/dev/null || exit 1; sleep 0.02; done; sample 2,000 75; }\n"
            "export -f sample late; export control test\n"
            "setsid bash -c late &\n"
            "while [ ! -f \"$control/late.away\" ]; do sleep 0.01; done\n"
            "trap 'sample 1,000 50; sleep 0.3; exit 20' TERM\n"
            "while true; do sample 1,000 50; sleep 0.005; done");
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        MV_TRY_COMPARE(h.progress(key).fraction.value_or(0), 0.5);
        QList<RunPhase> phases;
        QObject::connect(&h.coordinator, &BackupCoordinator::runChanged, [&](const RunKey& changed) {
            if (const auto run = h.coordinator.run(changed); run && changed == key)
                phases.append(run->progress.phase);
        });

        h.coordinator.pause(key.jobID, key.destinationID);
        h.rsync.release("late");
        MV_TRY_COMPARE(h.progress(key).fraction.value_or(0), 0.75);
        QCOMPARE(h.phase(key), "paused");
        h.coordinator.resume(key.jobID, key.destinationID);
        QCOMPARE(h.phase(key), "running");
        const qsizetype changesAtResume = phases.size();
        MV_TRY_VERIFY(phases.size() > changesAtResume);
        h.coordinator.cancel(key.jobID, key.destinationID);
        MV_TRY_COMPARE(h.phase(key), "cancelled");

        const qsizetype paused = phases.indexOf(RunPhase::paused);
        const qsizetype resumed = phases.indexOf(RunPhase::running, paused);
        const qsizetype cancelling = phases.indexOf(RunPhase::cancelling);
        QVERIFY(paused >= 0 && resumed > paused && cancelling > resumed);
        for (qsizetype i = paused; i < resumed; ++i)
            QCOMPARE(phases[i], RunPhase::paused);
        QVERIFY(!phases.mid(cancelling).contains(RunPhase::running));
    }

    // A file name shows only with the next sample; a sample without file totals keeps the counters, and
    // one whose remaining count exceeds its total counts nothing completed.
    void progressOfATransfer()
    {
        Harness h;
        const auto step = [](const QString& gate, const QString& line) {
            return "printf '" + line + "'\nwhile [ ! -f \"$control/" + gate
                + ".go\" ]; do sleep 0.02; done\n";
        };
        h.rsync.setBehaviour("ssd",
            step("first", "XFER docs/a.txt\\n")
                + step("second", "      1,000  50%%  1.00MB/s    0:00:04 (xfr#1, to-chk=5/8)\\r")
                + step("third", "      2,000  75%%  2.00MB/s    0:00:02\\r")
                + step("ssd", "      3,000  90%%  2.00MB/s    0:00:01 (xfr#2, to-chk=9/8)\\r"));
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        const auto progress = [&] { return h.progress(key); };
        MV_TRY_COMPARE(h.phase(key), "running");
        QCOMPARE(progress().currentFile, std::nullopt);
        QCOMPARE(progress().fraction, std::nullopt);

        h.rsync.release("first");
        MV_TRY_COMPARE(progress().fraction, std::optional(0.5));
        QCOMPARE(progress().currentFile, "docs/a.txt");
        QCOMPARE(progress().message, std::nullopt);
        QCOMPARE(progress().bytesTransferred, 1000);
        QCOMPARE(progress().etaSeconds, std::optional(4.0));
        QCOMPARE(progress().filesTotal, 8);
        QCOMPARE(progress().filesCompleted, 3);

        h.rsync.release("second");
        MV_TRY_COMPARE(progress().fraction, std::optional(0.75));
        QCOMPARE(progress().bytesTransferred, 2000);
        QCOMPARE(progress().filesTotal, 8);
        QCOMPARE(progress().filesCompleted, 3);

        h.rsync.release("third");
        MV_TRY_COMPARE(progress().fraction, std::optional(0.9));
        QCOMPARE(progress().filesTotal, 8);
        QCOMPARE(progress().filesCompleted, 0);
        h.rsync.release("ssd");
        MV_TRY_COMPARE(h.phase(key), "completed");
    }

    // A name no sample follows is never shown: the relay hands it over, at the latest as the transfer
    // returns, and every change of the run until its end still shows no file.
    void aNameAloneShowsNothing()
    {
        Harness h;
        h.rsync.setBehaviour("ssd", "printf 'XFER docs/a.txt\\n'\nexit 23");
        QList<std::optional<QString>> shownFiles;
        QObject::connect(&h.coordinator, &BackupCoordinator::runChanged, [&](const RunKey& changed) {
            if (const auto run = h.coordinator.run(changed))
                shownFiles.append(run->progress.currentFile);
        });
        const RunKey key = h.enqueue(h.addJob("Docs", local("ssd")));
        MV_TRY_COMPARE(h.recorded, 1);
        QCOMPARE(h.lastResult(key), "failed");
        QVERIFY(!shownFiles.isEmpty());
        QVERIFY(!shownFiles.contains(QStringLiteral("docs/a.txt")));
    }

    // A retry whose wait ends while another run writes to its folder waits until that run has ended.
    void retryWaitsForAnotherWriter()
    {
        Harness h;
        h.settings([](AppSettings& s) { s.retryAttempts = 1; });
        h.rsync.setBehaviour(
            "x", "[ $n = 1 ] && exit 23\n[ $n = 2 ] && " + ScriptedRsync::holdUntilReleased());
        const RunKey retrying = h.enqueue(h.addJob("Retrying", local("x")));
        MV_TRY_COMPARE(h.phase(retrying), "waiting");
        const BackupJob other = h.addJob("Other", local("x"));
        const RunKey writer = h.enqueue(other);
        MV_TRY_COMPARE(h.phase(writer), "running");
        MV_TRY_COMPARE(h.rsync.attempts("x"), 2);

        h.clock.advance(30s);
        MV_TRY_COMPARE(
            h.message(retrying), "Other is already writing to " + other.destinations[0].displayPath() + ".");
        QCOMPARE(h.phase(retrying), "waiting");
        QCOMPARE(h.rsync.attempts("x"), 2);

        h.rsync.release("x");
        MV_TRY_COMPARE(h.phase(writer), "completed");
        MV_TRY_COMPARE(h.phase(retrying), "completed");
        QCOMPARE(h.rsync.attempts("x"), 3);
    }

    // Queueing a destination whose run waits for its retry ends the wait; the one run goes on.
    void enqueueDuringRetryWaitResumesTheRun()
    {
        Harness h;
        h.settings([](AppSettings& s) { s.retryAttempts = 3; });
        h.rsync.setBehaviour("ssd", "[ $n = 1 ] && exit 23");
        const BackupJob job = h.addJob("Docs", local("ssd"));
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "waiting");
        h.enqueue(job);
        h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "completed");
        QCOMPARE(h.rsync.attempts("ssd"), 2);
        QCOMPARE(h.rows().size(), size_t(1));
        QCOMPARE(h.finished.size(), 1);
    }

    // A versioned attempt that fails or is cancelled leaves no partial snapshot; a success prunes the old
    // ones beyond the retention.
    void versionedSnapshots_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<RunResult>("result");
        QTest::newRow("failed") << "/usr/bin/rsync \"$@\"; exit 23" << RunResult::failed;
        QTest::newRow("cancelled") << "/usr/bin/rsync \"$@\"; " + ScriptedRsync::markReached("copied") + "; "
                + ScriptedRsync::holdUntilReleased()
                                   << RunResult::cancelled;
        QTest::newRow("changed while copying") << "/usr/bin/rsync \"$@\"; exit 24" << RunResult::success;
    }
    void versionedSnapshots()
    {
        QFETCH(QString, behaviour);
        QFETCH(RunResult, result);
        Harness h;
        BackupJob job = h.addJob("Docs", local("ssd"), BackupMode::versioned);
        job.destinations[0].retention = 1;
        const QString kept = h.files.mkdir("ssd/2026-01-01_000000");
        h.files.write("ssd/.marrowVale-versions", "Marrowvale versioned snapshots\n");
        h.rsync.setBehaviour("ssd", behaviour);
        const RunKey key = h.enqueue(job);
        if (result == RunResult::cancelled) {
            MV_TRY_VERIFY(h.rsync.hasReached("ssd", "copied")); // the copy is done; the stand-in holds
            h.coordinator.cancel(key.jobID, key.destinationID);
        }
        MV_TRY_COMPARE(h.recorded, 1);
        QCOMPARE(h.rows().front().result, result);
        const QStringList snapshots
            = QDir(h.files.filePath("ssd")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (result == RunResult::success) {
            QCOMPARE(snapshots.size(), 1);
            QVERIFY(snapshots.first() != QFileInfo(kept).fileName());
            QCOMPARE(mv::test::TempDir::read(h.files.filePath("ssd/" + snapshots.first() + "/a.txt")),
                QByteArray("alpha"));
            QCOMPARE(h.message(key),
                QStringLiteral("Some source files changed while copying. They will be picked up next time."));
        } else {
            QCOMPARE(snapshots, QStringList { QFileInfo(kept).fileName() });
        }
    }

    // Old snapshots that cannot be pruned are kept and reported; the run itself stays a success.
    void refusedPruneKeepsOldSnapshots()
    {
        Harness h;
        BackupJob job = h.addJob("Docs", local("ssd"), BackupMode::versioned);
        job.destinations[0].retention = 1;
        h.files.mkdir("ssd/2026-01-01_000000");
        h.files.write("ssd/.marrowVale-versions", "Marrowvale versioned snapshots\n");
        // Without its marker the folder no longer counts as one whose snapshots may be removed.
        h.rsync.setBehaviour("ssd",
            "/usr/bin/rsync \"$@\" || exit; rm \"$(dirname \"$target\")/.marrowVale-versions\"; exit 0");
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 1);

        QCOMPARE(h.rows().front().result, RunResult::success);
        QCOMPARE(h.lastResult(key), "success");
        QCOMPARE(h.phase(key), "completed");
        QCOMPARE(h.message(key), "Backup complete");
        QCOMPARE(QDir(h.files.filePath("ssd")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
        QVERIFY(h.coordinator.issue());
        const CoordinatorIssue issue = *h.coordinator.issue();
        QCOMPARE(issue.title, "Old snapshots were kept");
        QCOMPARE(issue.message,
            "Refusing to prune " + h.files.filePath("ssd")
                + " because Marrowvale does not manage snapshots there.");
        QCOMPARE(issue.recovery, "Nothing from the current backup was touched.");
        QCOMPARE(issue.symbol, "clock.badge.exclamationmark");
        QVERIFY(!issue.isTemporary);
    }

    // Quitting awaits the end of every transfer: a real rsync is stopped and its run recorded cancelled;
    // a child that ignores SIGTERM is killed with its process group once the kill delay has passed on
    // the clock. Nothing is queued afterwards.
    void shutdownLeavesNoChild_data()
    {
        QTest::addColumn<bool>("stubborn");
        QTest::newRow("rsync copying") << false;
        QTest::newRow("child ignoring SIGTERM") << true;
    }
    void shutdownLeavesNoChild()
    {
        QFETCH(bool, stubborn);
        Harness h;
        h.rsync.setBehaviour("ssd",
            stubborn ? "trap '' TERM\nsleep 60 &\necho $! > \"$control/grandchild.pid\"\nwait"
                     : "exec /usr/bin/rsync --bwlimit=1 \"$@\"");
        const BackupJob job = h.addJob("Docs", local("ssd"));
        h.files.write("sources/Docs/big.bin", QByteArray(1'000'000, 'x'));
        const RunKey key = h.enqueue(job);
        MV_TRY_COMPARE(h.phase(key), "running");
        MV_TRY_VERIFY(h.rsync.pid("ssd") > 0);
        if (stubborn)
            MV_TRY_VERIFY(h.rsync.pid("grandchild") > 0);
        const qint64 child = h.rsync.pid("ssd");
        const qint64 grandchild = h.rsync.pid("grandchild");
        if (stubborn) // the kill falls due while shutdown waits
            QTimer::singleShot(0, [&h] { h.clock.advance(RsyncProcessController::killDelay); });
        QVERIFY(h.shutDown());
        QVERIFY(!isAlive(child));
        QVERIFY(!grandchild || !isAlive(grandchild));
        QCOMPARE(h.rows().front().result, RunResult::cancelled);
        QCOMPARE(h.phase(key), "cancelled");
        QVERIFY(h.shutDown());
        h.enqueue(job);
        QCOMPARE(h.phase(key), "cancelled");
    }

private:
    // A child of this process that is stopped, or 0.
    static qint64 stoppedChild()
    {
        const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
        for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const qint64 pid = entry.toLongLong();
            const QByteArray text = pid > 0 ? statOf(pid) : QByteArray();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[0] == "T" && fields[1] == self)
                return pid;
        }
        return 0;
    }
    static bool isAlive(qint64 pid)
    {
        const QByteArray state = stateOf(pid);
        return !state.isEmpty() && state != "Z";
    }
    static QByteArray statOf(qint64 pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        return stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    }
    static QByteArray stateOf(qint64 pid)
    {
        const QByteArray text = statOf(pid);
        const qsizetype close = text.lastIndexOf(')');
        return close >= 0 ? text.mid(close + 2, 1) : QByteArray();
    }
};

QTEST_GUILESS_MAIN(tst_BackupCoordinator)
#include "tst_BackupCoordinator.moc"
