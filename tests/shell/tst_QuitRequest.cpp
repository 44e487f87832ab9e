#include "shell/QuitQuestion.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/ScriptedRsync.h"
#include "support/state/AppStateHarness.h"

#include <QtTest>

#include <csignal>

using namespace mv;

namespace {

bool processExists(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

} // namespace

class tst_QuitRequest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void questionTexts()
    {
        const QuitQuestion one = QuitQuestion::forActiveRuns(1);
        QCOMPARE(one.message, "Quit while a backup is running?");
        QCOMPARE(QuitQuestion::forActiveRuns(2).message, "Quit while backups are running?");
        QCOMPARE(one.informativeText,
            "The transfer will stop. Files already copied stay at the destination, and the run is recorded "
            "as "
            "cancelled.");
        QCOMPARE(one.quitButton, "Quit and Stop");
        QCOMPARE(one.keepButton, "Keep Backing Up");
    }

    // Nothing running: the configuration is written and the program may go.
    void shutsDownAtOnceWhenIdle()
    {
        test::AppStateHarness hub;
        hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        QVERIFY(QCoro::waitFor(hub.state->saveAndShutDown()));
        QVERIFY(!hub.store.hasPendingSave());
    }

    // During a real transfer: the ending stops the child, records the run as cancelled (not interrupted
    // at the next start) and saves the configuration with the run's result.
    void shuttingDownStopsTheRunAndRecordsIt()
    {
        test::AppStateHarness hub;
        test::ScriptedRsync rsync;
        rsync.setBehaviour("ssd", test::ScriptedRsync::holdUntilReleased());
        hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        const BackupJob job = hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        hub.state->coordinator().enqueue(job, job.destinations[0], RunTrigger::manual);
        MV_TRY_VERIFY(processExists(rsync.pid("ssd")));

        QVERIFY(QCoro::waitFor(hub.state->saveAndShutDown()));
        QVERIFY(!processExists(rsync.pid("ssd")));
        QCOMPARE(hub.rows().front().result, RunResult::cancelled);
        QVERIFY(!hub.store.hasPendingSave());
        QVERIFY(
            test::TempDir::read(QDir(hub.support.path()).filePath("config.json")).contains("\"cancelled\""));
    }
};

QTEST_GUILESS_MAIN(tst_QuitRequest)
#include "tst_QuitRequest.moc"
