#include "coordination/AppState.h"
#include "engine/RunningTransfers.h"
#include "model/ConfigurationCoding.h"
#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"
#include "model/Format.h"
#include "model/KeychainService.h"
#include "model/VolumeInspector.h"
#include "platform/AutostartEntry.h"
#include "platform/Subprocess.h"
#include "platform/WorkerPool.h"
#include "support/EnumCompare.h"
#include "support/ExecutableScript.h"
#include "support/IntegrationTimeout.h"
#include "support/Mount.h"
#include "support/ScriptedRsync.h"
#include "support/TempDir.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/StatusBoard.h"

#include <QtTest>

#include <qcoro/qcorotask.h>

#include <csignal>

using namespace mv;
using test::TempDir;

namespace {

// The rsync path of the settings: real rsync, except that dry runs fail as a broken destination would.
QString failingDryRun(const TempDir& dir)
{
    return test::executableScript(dir, "rsync",
        "#!/bin/sh\nfor a in \"$@\"; do [ \"$a\" = --dry-run ] && { echo 'rsync: change_dir failed' >&2; "
        "exit 23; }; "
        "done\nexec /usr/bin/rsync \"$@\"\n");
}

// Whether `pid` is a process that has not ended (a zombie has).
bool runs(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

class tst_AppState : public QObject {
    Q_OBJECT

    bool m_canMount = false;

private Q_SLOTS:
    // Before any thread exists: a thread made earlier would stay in the old mount namespace.
    void initTestCase() { m_canMount = test::enterPrivateMountNamespace(); }

    // A process that ended during a run: at the next launch its history row and its destination read
    // interrupted, and config.json says so before start() is called.
    void startRepairsWhatAPreviousProcessLeft()
    {
        test::AppStateHarness hub;
        BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.store.updateDestination(
            job.id, job.destinations[0].id, [](BackupDestination& d) { d.lastResult = RunResult::running; });
        QVERIFY(hub.store.saveNow());
        {
            HistoryRepository previous(QDir(hub.support.path()).filePath("history.sqlite"));
            BackupRunRecord record;
            record.id = QUuid::createUuid();
            record.jobID = job.id;
            record.destinationID = job.destinations[0].id;
            record.startedAt = QDateTime::currentDateTimeUtc();
            record.result = RunResult::running;
            previous.begin(record);
        }

        hub.build();
        QVERIFY(TempDir::read(QDir(hub.support.path()).filePath("config.json")).contains("\"interrupted\""));
        QCOMPARE(hub.store.job(job.id)->destinations[0].lastResult, std::optional(RunResult::interrupted));
        QCOMPARE(hub.rows().front().result, RunResult::interrupted);
    }

    // A transfer an earlier process left writing, deaf to SIGTERM, takes seconds to stop: the launch stops
    // it on a worker while the main thread keeps turning, and a run asked for meanwhile waits in the queue
    // until the leftover has ended, so that two writers never share a folder.
    void leftoversAreStoppedBeforeAnyRunStarts()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        auto started = Subprocess::start({ .executable = "/bin/sh",
            .arguments = { "-c", "trap '' TERM; exec /bin/sleep 600" },
            .environment = {},
            .output = SubprocessOutput::discarded,
            .niceness = 0,
            .onStdout = {},
            .onStderr = {} });
        QVERIFY(started);
        Subprocess& leftover = **started;
        // Recorded as the program it became, with SIGTERM ignored.
        MV_TRY_COMPARE(QFileInfo(QStringLiteral("/proc/%1/exe").arg(leftover.pid())).symLinkTarget(),
            QFileInfo("/bin/sleep").canonicalFilePath());
        QVERIFY(RunningTransfers::record(hub.support.path(), leftover.pid()));

        std::optional<bool> leftoverRanWhenTheLoopTurned;
        QTimer::singleShot(0, this, [&] { leftoverRanWhenTheLoopTurned = runs(leftover.pid()); });
        std::optional<bool> leftoverRanWhenTheRunStarted;
        hub.build();
        connect(&hub.state->coordinator(), &BackupCoordinator::runChanged, this, [&](const RunKey& key) {
            const std::optional<ActiveRun> run = hub.state->coordinator().run(key);
            if (run && run->progress.phase != RunPhase::queued && !leftoverRanWhenTheRunStarted)
                leftoverRanWhenTheRunStarted = runs(leftover.pid());
        });
        hub.state->coordinator().enqueue(job, job.destinations[0], RunTrigger::manual);
        MV_TRY_VERIFY(leftoverRanWhenTheLoopTurned.has_value());
        QVERIFY(*leftoverRanWhenTheLoopTurned);
        QCOMPARE(hub.state->coordinator().activeRuns().value(0).progress.phase, RunPhase::queued);

        MV_TRY_COMPARE(hub.rows().size(), size_t(1));
        MV_TRY_COMPARE(hub.rows().front().result, RunResult::success);
        QCOMPARE(leftoverRanWhenTheRunStarted, std::optional(false));
        QCOMPARE(leftover.wait(), 128 + SIGKILL);
        QCOMPARE(hub.state->requests().banner(), std::nullopt);
        QCOMPARE(
            QDir(RunningTransfers::recordFolder(hub.support.path())).entryList(QDir::Files), QStringList());
    }

    // Two destinations of one job run one after the other, each recorded and each rescheduled.
    void runJobEnqueuesEveryEnabledDestination()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs",
            { { "ssd", BackupMode::incremental }, { "nas", BackupMode::incremental },
                { "off", BackupMode::incremental } });
        hub.store.updateDestination(
            job.id, job.destinations[2].id, [](BackupDestination& d) { d.isEnabled = false; });
        hub.build();
        hub.state->start();
        QCoro::waitFor(hub.state->jobActions().runJob(*hub.store.job(job.id)));
        MV_TRY_COMPARE(hub.rows().size(), size_t(2));
        MV_TRY_VERIFY(std::ranges::all_of(
            hub.rows(), [](const BackupRunRecord& r) { return r.result == RunResult::success; }));
        QVERIFY(QFileInfo::exists(hub.files.filePath("ssd/a.txt")));
        QVERIFY(QFileInfo::exists(hub.files.filePath("nas/a.txt")));
        MV_TRY_COMPARE(hub.state->historyFeed().stats().successRuns, 2);
        QCOMPARE(hub.state->historyFeed().recentRuns().size(), size_t(2));
    }

    // A manual mirror run that would delete asks first, once however often it is asked for; confirming it
    // runs it without a second preview; a preview with nothing to delete runs at once.
    void mirrorRunsAskBeforeDeleting()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        hub.files.write("ssd/stray.txt", "old");
        hub.build();
        JobActions& actions = hub.state->jobActions();
        QSignalSpy checking(&actions, &JobActions::mirrorCheckInProgressChanged);

        auto first = actions.requestRun(job, job.destinations[0]);
        QVERIFY(actions.mirrorCheckInProgress());
        QCoro::waitFor(actions.requestRun(job, job.destinations[0])); // dropped while checking
        QCoro::waitFor(std::move(first));
        QCOMPARE(checking.size(), 2);
        QVERIFY(!actions.mirrorCheckInProgress());
        QVERIFY(actions.mirrorPrompt());
        QCOMPARE(actions.mirrorPrompt()->preview.totalDeletions, 1);
        QCOMPARE(actions.mirrorPrompt()->preview.deletions, QStringList { "stray.txt" });
        QVERIFY(hub.state->coordinator().runs().isEmpty());

        actions.confirmMirrorRun();
        QVERIFY(!actions.mirrorPrompt());
        MV_TRY_COMPARE(hub.rows().size(), size_t(1));
        MV_TRY_COMPARE(hub.rows().front().result, RunResult::success);
        QVERIFY(!QFileInfo::exists(hub.files.filePath("ssd/stray.txt")));

        actions.confirmMirrorRun(); // no prompt: nothing
        QCoro::waitFor(actions.requestRun(job, job.destinations[0]));
        QVERIFY(!actions.mirrorPrompt());
        MV_TRY_COMPARE(hub.rows().size(), size_t(2));
    }

    // Work still running when the hub goes away (at quit), a preview and the history's loads and pruning,
    // ends quietly, touching nothing of it.
    void workOutlivingTheHubEndsQuietly()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        hub.build();
        hub.state->start();
        auto request = hub.state->jobActions().requestRun(job, job.destinations[0]);
        QVERIFY(hub.state->jobActions().mirrorCheckInProgress());
        hub.state.reset();
        QCoro::waitFor(std::move(request));
        WorkerPool::instance().waitForDone();
    }

    // A dry run that fails is a problem the user must look at: an issue that does not pass by itself, and
    // no run.
    void failingPreviewBecomesALastingIssue()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        AppConfiguration config = hub.store.config();
        config.settings.rsyncPath = failingDryRun(hub.files);
        hub.store.setConfig(config);
        hub.build();
        JobActions& actions = hub.state->jobActions();
        QCoro::waitFor(actions.requestRun(job, job.destinations[0]));
        QVERIFY(!actions.mirrorCheckInProgress());
        QVERIFY(!actions.mirrorPrompt());
        QVERIFY(hub.state->coordinator().issue());
        QCOMPARE(hub.state->coordinator().issue()->isTemporary, false);
        QVERIFY(hub.state->coordinator().runs().isEmpty());
    }

    // A scheduled run that did not happen is recorded whatever the notices say, in the words of this
    // platform.
    void missedRunIsRecorded()
    {
        test::AppStateHarness hub;
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        AppConfiguration config = hub.store.config();
        config.settings.notifyMissed = false;
        hub.store.setConfig(config);
        hub.build();
        const QDateTime due = QDateTime::currentDateTimeUtc().addSecs(-3600);
        hub.state->recordMissed(job, job.destinations[0], due);
        MV_TRY_COMPARE(hub.state->historyFeed().recentRuns().size(), size_t(1));
        const BackupRunRecord& row = hub.state->historyFeed().recentRuns().front();
        QCOMPARE(row.result, RunResult::missed);
        QCOMPARE(row.trigger, RunTrigger::schedule);
        QCOMPARE(row.startedAt, due);
        QCOMPARE(*row.errorSummary,
            "The scheduled run at " + Format::mediumDateTime(due)
                + " was missed while the computer was asleep or Marrowvale was not running.");
        QVERIFY(hub.server.settle(hub.bus.connection()));
        QVERIFY(hub.server.notices().isEmpty());
    }

    // A drive that comes back starts its on-mount destination once; going away is announced as waiting.
    void mountedDriveRunsItsOnMountDestination()
    {
        if (!m_canMount)
            QSKIP("mounting needs root");
        test::AppStateHarness hub;
        auto drive = test::Mount::tmpfs(hub.files.mkdir("drive"), "size=16m"); // above the free-space floor
        const QString mountPoint = hub.files.mkdir("mnt/backup");
        std::optional<test::Mount> plugged;
        plugged.emplace(test::Mount::bind(drive.target(), mountPoint));
        const auto identity = VolumeInspector::volume(mountPoint);
        QVERIFY(identity);
        plugged.reset();

        BackupJob job = hub.addJob("Docs", { { "unused", BackupMode::incremental } });
        BackupDestination& destination = job.destinations[0];
        destination.path = mountPoint + "/";
        destination.volumeIdentity = identity->identity;
        destination.schedule.kind = ScheduleKind::onMount;
        hub.store.replaceJob(job);
        hub.build();
        hub.state->notifications().prepare(); // the monitor is refreshed by hand, not started
        MV_TRY_VERIFY(hub.state->notifications().authorized());
        DestinationMonitor& monitor = hub.state->monitor();
        const auto refreshed = [&monitor] {
            QSignalSpy done(&monitor, &DestinationMonitor::refreshed);
            monitor.refresh();
            return done.wait(int(test::integrationTimeout.count()));
        };

        QVERIFY(refreshed());
        MV_TRY_COMPARE(hub.server.notices().size(), 1);
        QCOMPARE(hub.server.notices()[0].title, "Docs is waiting");

        plugged.emplace(test::Mount::bind(drive.target(), mountPoint));
        QVERIFY(refreshed());
        MV_TRY_VERIFY(!hub.rows().empty() && hub.rows().front().endedAt);
        QCOMPARE(hub.rows().size(), size_t(1));
        QVERIFY2(hub.rows().front().result == RunResult::success,
            qPrintable(hub.rows().front().errorSummary.value_or(QString())));
        QCOMPARE(hub.rows().front().trigger, RunTrigger::onMount);
        QVERIFY(refreshed());
        QCOMPARE(hub.rows().size(), size_t(1));
    }

    // Deleting a job whose run is copying stops the run and removes the job and its passphrases; its
    // history stays.
    void deleteJobStopsItsRunAndKeepsItsHistory()
    {
        test::AppStateHarness hub;
        test::ScriptedRsync rsync;
        rsync.setBehaviour("ssd", test::ScriptedRsync::holdUntilReleased());
        hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        const BackupJob job
            = hub.addJob("Docs", { { "ssd", BackupMode::incremental }, { "nas", BackupMode::incremental } });
        for (const BackupDestination& destination : job.destinations)
            QVERIFY(KeychainService::savePassphrase("secret", destination.id));
        hub.build();
        hub.state->recordMissed(job, job.destinations[1], QDateTime::currentDateTimeUtc().addDays(-1));
        hub.state->coordinator().enqueue(job, job.destinations[0], RunTrigger::manual);
        MV_TRY_VERIFY(rsync.pid("ssd") != 0);

        hub.state->jobActions().deleteJob(job);
        QVERIFY(!hub.store.job(job.id));
        MV_TRY_VERIFY(std::ranges::any_of(
            hub.rows(), [](const BackupRunRecord& r) { return r.result == RunResult::cancelled; }));
        QCOMPARE(hub.rows().size(), size_t(2)); // the missed run and the stopped one
        for (const BackupDestination& destination : job.destinations)
            QCOMPARE(KeychainService::passphrase(destination.id), std::nullopt);
        MV_TRY_COMPARE(hub.state->historyFeed().recentRuns().size(), size_t(2));
    }

    // Turning a job off changes only that; turning it on makes its scheduled destinations due from now. A
    // copy starts with no results, due from now as well.
    void toggleAndDuplicateScheduleFromNow()
    {
        test::AppStateHarness hub;
        BackupJob job = hub.addJob(
            "Photos", { { "ssd", BackupMode::incremental }, { "nas", BackupMode::incremental } });
        job.destinations[0].schedule.kind = ScheduleKind::hourly;
        job.destinations[0].lastResult = RunResult::success;
        job.destinations[1].schedule.kind = ScheduleKind::manual;
        const QDateTime kept = QDateTime::currentDateTimeUtc().addDays(3);
        job.destinations[1].nextRun = kept;
        job.destinations[0].nextRun = kept;
        hub.store.replaceJob(job);
        hub.build();
        ActiveRunsModel runs(hub.state->coordinator());
        StatusBoard board(hub.store, runs, hub.state->monitor(), hub.state->googleAuth(),
            hub.state->googleCredentials(), hub.state->historyFeed(), hub.state->clock());
        const auto isNextFullHour = [](const std::optional<QDateTime>& next) {
            const QDateTime now = QDateTime::currentDateTime();
            return next && *next > now && next->toLocalTime().time().minute() == 0
                && next->toLocalTime().time().second() == 0 && *next <= now.addSecs(3600);
        };

        hub.state->jobActions().toggleJob(job);
        BackupJob off = *hub.store.job(job.id);
        QVERIFY(!off.isEnabled);
        QCOMPARE(off.destinations[0].nextRun, std::optional(kept));

        hub.state->jobActions().toggleJob(off);
        const BackupJob on = *hub.store.job(job.id);
        QVERIFY(on.isEnabled);
        QVERIFY(isNextFullHour(on.destinations[0].nextRun));
        QCOMPARE(on.destinations[1].nextRun, std::optional(kept));

        hub.state->jobActions().duplicateJob(on);
        hub.state->jobActions().duplicateJob(on);
        board.update();
        const QList<BackupJob>& jobs = hub.store.config().jobs;
        QCOMPARE(jobs.size(), 3);
        for (const BackupJob& copy : jobs.mid(1)) {
            QCOMPARE(copy.name, "Photos Copy");
            QCOMPARE(copy.destinations[0].lastResult, std::nullopt);
            QVERIFY(isNextFullHour(copy.destinations[0].nextRun));
            QCOMPARE(copy.destinations[1].nextRun, std::nullopt);
            QCOMPARE(board.destinationStatus(copy.id, copy.destinations[1].id).text, "Not run yet");
        }
    }

    // Exports land in the support folder and are shown in the file manager; one that cannot be written
    // says so in the banner.
    void exportsAreShownOrExplained()
    {
        test::AppStateHarness hub;
        hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        hub.state->requests().exportConfiguration();
        hub.state->historyFeed().exportHistory();
        MV_TRY_COMPARE(hub.fileManagerServer.shown().size(), 2);
        for (const QString& shown : hub.fileManagerServer.shown()) {
            const QString path = QUrl(shown).toLocalFile();
            QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(hub.support.path()).absoluteFilePath());
            QVERIFY(QFileInfo(path).size() > 0);
        }
        QCOMPARE(hub.state->requests().banner(), std::nullopt);

        if (!m_canMount)
            QSKIP("a read-only support folder needs a mount");
        const auto readOnly = test::Mount::tmpfs(hub.support.path(), "ro,size=1m");
        hub.state->historyFeed().exportHistory();
        MV_TRY_VERIFY(hub.state->requests().banner()
            && hub.state->requests().banner()->startsWith("The history could not be exported: "));
        hub.state->requests().exportConfiguration();
        QVERIFY(hub.state->requests().banner()->startsWith("The configuration could not be exported: "));
        QCOMPARE(hub.fileManagerServer.shown().size(), 2);
    }

    // What the configuration and the history cannot read or write at launch reaches the banner, each
    // message after the one before it is dismissed: a history file that is not a database (kept as it is),
    // a support folder on a disk that went read-only, or one on a full disk where the history has no room
    // for its table.
    void storageProblemsAtLaunchReachTheBanner_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("damaged history") << "damaged history";
        QTest::newRow("read-only support folder") << "read-only";
        QTest::newRow("full support folder") << "full";
    }

    void storageProblemsAtLaunchReachTheBanner()
    {
        QFETCH(QString, folder);
        if (folder != "damaged history" && !m_canMount)
            QSKIP("a read-only or full support folder needs a mount");
        test::AppStateHarness hub;
        const QString config = hub.support.filePath("config.json");
        const QString history = hub.support.filePath("history.sqlite");
        auto inMemory = [&](const QString& reason) {
            return "The run history “" + history + "” could not be opened: " + reason
                + ". Nothing was written to it; runs are recorded in memory until Marrowvale quits.";
        };
        std::optional<test::Mount> disk;
        QStringList expected;
        if (folder == "damaged history") {
            hub.support.write("history.sqlite", QByteArray(4096, 'x'));
            expected << inMemory("file is not a database");
        } else {
            disk.emplace(test::Mount::tmpfs(hub.support.path(), "size=64k"));
            QVERIFY(hub.store.saveNow());
            if (folder == "read-only") {
                disk->remountReadOnly();
                expected << "The configuration could not be saved: “" + config
                        + "” could not be written: Existing file " + config + " is not writable."
                         << inMemory("unable to open database file");
            } else {
                disk->fill();
                expected << "The configuration could not be saved: “" + config
                        + "” could not be written: No space left on device."
                         << inMemory("database or disk is full");
            }
        }
        hub.build();
        hub.state->start();
        for (const QString& message : expected) {
            MV_TRY_COMPARE(hub.state->requests().banner().value_or(QString()), message);
            hub.state->requests().setBanner(std::nullopt);
        }
        QCOMPARE(hub.state->requests().banner(), std::nullopt);
        if (folder == "damaged history")
            QCOMPARE(TempDir::read(history), QByteArray(4096, 'x'));
    }

    // With a full support folder a backup still runs, and each record it cannot keep is told: its history
    // row and the destination's new status in config.json.
    void fullSupportFolderTellsWhatWasNotRecorded()
    {
        if (!m_canMount)
            QSKIP("a full support folder needs a mount");
        test::AppStateHarness hub;
        auto disk = test::Mount::tmpfs(hub.support.path(), "size=256k");
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        hub.state->start();
        QVERIFY(hub.store.saveNow());
        QVERIFY(hub.rows().empty()); // the history file is ready: its table is made
        disk.fill();

        QCoro::waitFor(hub.state->jobActions().runJob(job));
        const QStringList expected {
            "The configuration could not be saved: “" + hub.support.filePath("config.json")
                + "” could not be written: No space left on device.",
            "The run history “" + hub.support.filePath("history.sqlite")
                + "” could not be written: database or disk is full. Backups still run, but what they do is "
                  "not recorded.",
        };
        QStringList told;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         while (const std::optional<QString> banner = hub.state->requests().banner()) {
                             told.append(*banner);
                             hub.state->requests().setBanner(std::nullopt);
                         }
                         return told.contains(expected[0]) && told.contains(expected[1]);
                     },
                     int(test::integrationTimeout.count())),
            qPrintable(told.join(u'\n')));
        told.removeDuplicates();
        told.sort();
        QCOMPARE(told, expected);
        // Both are told while the run may still be preparing; the backup itself goes on.
        MV_TRY_VERIFY(QFileInfo::exists(hub.files.filePath("ssd/a.txt")));
        QVERIFY(hub.rows().empty());
        // What was saved before the disk filled up is still there, whole.
        QVERIFY(ConfigurationCoding::decode(TempDir::read(hub.support.filePath("config.json")), QDateTime())
                    ->jobs.first()
                    .name
            == "Docs");
    }

    // The appearance is stored and handed to the views; the login item setting follows the autostart entry,
    // also when the entry is removed outside the program.
    void appearanceAndLoginItem()
    {
        test::AppStateHarness hub;
        hub.build();
        QSignalSpy appearance(&hub.state->requests(), &ProgramRequests::appearanceChanged);
        hub.state->requests().setAppearance(AppearancePreference::dark);
        hub.state->requests().setAppearance(AppearancePreference::system);
        QCOMPARE(appearance.size(), 2);
        QCOMPARE(appearance[1][0].value<AppearancePreference>(), AppearancePreference::system);
        QCOMPARE(hub.store.config().settings.appearance, AppearancePreference::system);
        QVERIFY(hub.store.hasPendingSave());

        hub.state->requests().setLaunchAtLogin(true);
        QVERIFY(QFileInfo::exists(AutostartEntry::path()));
        QVERIFY(hub.store.config().settings.launchAtLogin);
        QCOMPARE(hub.state->requests().banner(), std::nullopt);
        QVERIFY(hub.store.saveNow());

        hub.state->requests().refreshLoginItemState(); // nothing changed: no save
        QVERIFY(!hub.store.hasPendingSave());
        QVERIFY(QFile::remove(AutostartEntry::path()));
        hub.state->requests().refreshLoginItemState();
        QVERIFY(!hub.store.config().settings.launchAtLogin);
        QVERIFY(hub.store.hasPendingSave());
    }

    // Navigation asked for before any view listens is kept until one takes it; with a listener it arrives
    // each time, even for the same place twice.
    void navigationRequestsAreNeverLost()
    {
        test::AppStateHarness hub;
        hub.build();
        const NavigationRequest dashboard { NavigationRequest::Target::dashboard, std::nullopt };
        const NavigationRequest job { NavigationRequest::Target::job, QUuid::createUuid() };
        hub.state->requests().requestNavigation(dashboard);
        hub.state->requests().requestNavigation(job);
        QCOMPARE(
            hub.state->requests().takePendingNavigation(), (QList<NavigationRequest> { dashboard, job }));
        QVERIFY(hub.state->requests().takePendingNavigation().isEmpty());

        QList<NavigationRequest> heard;
        connect(&hub.state->requests(), &ProgramRequests::navigationRequested, this,
            [&heard](const NavigationRequest& request) { heard.append(request); });
        hub.state->requests().requestNavigation(job);
        hub.state->requests().requestNavigation(job);
        QCOMPARE(heard.size(), 2);
        QVERIFY(hub.state->requests().takePendingNavigation().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_AppState)
#include "tst_AppState.moc"
