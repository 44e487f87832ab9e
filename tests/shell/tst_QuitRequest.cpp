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

// Runs SQL through the sqlite3 shell, the way a person inspecting the file would.
QString sqliteShell(const QString& path, const QString& sql)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), { path, sql });
    if (!shell.waitForFinished(int(test::integrationTimeout.count())) || shell.exitCode() != 0)
        qFatal("sqlite3 failed: %s", shell.readAllStandardError().constData());
    return QString::fromUtf8(shell.readAllStandardOutput());
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

    // A long history write asked for before quitting (clearing 200,000 rows) is in the file once the quit
    // answers, done while the event loop turned rather than in the destructors after it.
    void quittingFinishesTheHistoryWrites()
    {
        test::AppStateHarness hub;
        hub.build();
        const QString history = hub.support.filePath("history.sqlite");
        QVERIFY(hub.rows().empty()); // the file is open
        sqliteShell(history,
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) INSERT INTO "
            "runs "
            "(id, job_id, job_name, source_path, destination_id, destination_name, destination_path, mode, "
            "trigger, started_at, ended_at, result) SELECT printf('%08X-0000-4000-8000-000000000000', i), "
            "'00000001-0000-4000-8000-000000000000', 'old', '', '00000001-0000-4000-8000-000000000000', '', "
            "'', 'incremental', 'manual', i, i, 'success' FROM n");

        hub.state->history().clear();
        QVERIFY(QCoro::waitFor(hub.state->saveAndShutDown()));
        QCOMPARE(sqliteShell(history, "SELECT count(*) FROM runs"), "0\n");
    }
};

QTEST_GUILESS_MAIN(tst_QuitRequest)
#include "tst_QuitRequest.moc"
