#include "engine/PlanBuilder.h"
#include "engine/RsyncProcessController.h"
#include "engine/RsyncRunError.h"
#include "engine/SSHCommand.h"
#include "model/AppSettings.h"
#include "model/BackupJob.h"
#include "model/KeychainService.h"
#include "platform/Executables.h"
#include "support/BuiltPrograms.h"
#include "support/ExecutableScript.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/SshServer.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QtTest>

#include <csignal>
#include <mutex>
#include <sys/stat.h>

using mv::RsyncEvent;
using mv::RsyncOutcome;
using mv::RsyncProcessController;
using mv::RunPlan;
using namespace std::chrono_literals;

namespace {

// The events of one run, gathered from the reader threads.
class Events {
public:
    RsyncProcessController::EventHandler handler()
    {
        return [this](const RsyncEvent& event) {
            std::lock_guard lock(m_mutex);
            m_events.push_back(event);
        };
    }
    qsizetype count() const
    {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }
    bool sawItem(const QString& name) const
    {
        std::lock_guard lock(m_mutex);
        return std::any_of(m_events.cbegin(), m_events.cend(),
            [&](const RsyncEvent& event) { return event.transferredName == name; });
    }
    std::optional<QString> firstItem() const
    {
        std::lock_guard lock(m_mutex);
        for (const RsyncEvent& event : m_events) {
            if (event.transferredName)
                return event.transferredName;
        }
        return std::nullopt;
    }
    bool sawProgress() const
    {
        std::lock_guard lock(m_mutex);
        return std::any_of(
            m_events.cbegin(), m_events.cend(), [](const RsyncEvent& event) { return event.sample; });
    }

private:
    mutable std::mutex m_mutex;
    std::vector<RsyncEvent> m_events;
};

// A plan that runs `executable` as if it were rsync.
RunPlan planFor(const QString& executable, const QStringList& arguments = {})
{
    RunPlan plan;
    plan.executable = executable;
    plan.arguments = arguments;
    plan.environment = mv::PlanBuilder::childEnvironment();
    return plan;
}

RsyncOutcome runToEnd(
    RsyncProcessController& controller, const RunPlan& plan, const QString& log, Events& events)
{
    return QCoro::waitFor(controller.run(plan, log, events.handler()));
}

// The error a run fails with, if it does. (QCoro::waitFor cannot pass an exception on.)
QCoro::Task<std::optional<mv::RsyncRunError>> failure(
    RsyncProcessController* controller, RunPlan plan, QString log)
{
    std::optional<mv::RsyncRunError> error;
    try {
        co_await controller->run(plan, log, {});
    } catch (const mv::RsyncRunError& thrown) {
        error = thrown;
    }
    co_return error;
}

QStringList logLines(const QString& path)
{
    return QString::fromUtf8(mv::test::TempDir::read(path)).split(u'\n', Qt::SkipEmptyParts);
}

// The state letter of a process in /proc ('T' once stopped), or 0 when it cannot be read.
char processState(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // "pid (name) S ...": the name may hold anything, so read after its last parenthesis.
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text.at(close + 2) : 0;
}

} // namespace

class tst_RsyncProcessController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { mv::test::useBuiltAskpass(); }

    void realRsyncCopiesWithEventsStatisticsAndAnOwnerOnlyLog()
    {
        mv::test::TempDir dir;
        mv::BackupJob job = mv::BackupJob::create(QDateTime::currentDateTimeUtc());
        job.source.path = dir.mkdir("source");
        dir.write("source/a.txt", "alpha");
        dir.write("source/sub/b.txt", QByteArray(299'995, 'b')); // 300,000 bytes in all, exact in "300.00K"
        mv::BackupDestination destination = mv::BackupDestination::create(job.createdAt);
        destination.path = dir.filePath("backup");
        const RunPlan plan = mv::PlanBuilder::build(job, destination, mv::AppSettings(), job.createdAt);

        RsyncProcessController controller;
        Events events;
        const QString log = dir.filePath("run.log");
        QElapsedTimer around;
        around.start();
        const RsyncOutcome outcome = runToEnd(controller, plan, log, events);
        const qint64 aroundNanoseconds = around.nsecsElapsed();

        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.stats.filesTransferred, 2);
        QCOMPARE(outcome.stats.totalFiles, 4);
        QCOMPARE(outcome.stats.transferredBytes, 300'000);
        QVERIFY(outcome.errors.isEmpty() && !outcome.cancelled && !outcome.logTruncated);
        QCOMPARE(outcome.logPath, log);
        // Measured within the call, in seconds.
        QVERIFY2(outcome.duration > 0 && outcome.duration * 1e9 <= double(aroundNanoseconds),
            qPrintable(QString::number(outcome.duration)));
        QVERIFY(events.sawItem("a.txt") && events.sawItem("sub/b.txt") && events.sawProgress());
        QCOMPARE(mv::test::TempDir::read(dir.filePath("backup/sub/b.txt")).size(), 299'995);
        const QStringList lines = logLines(log);
        QVERIFY(lines.contains("XFER sub/b.txt"));
        QVERIFY(lines.contains("Number of regular files transferred: 2"));
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(log).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);

        QVERIFY(!controller.cancel()); // nothing runs any more
        QVERIFY(!controller.pause());
    }

    // rsync escapes names it cannot print under LC_ALL=C, and a backslash only where it would read as an
    // escape; the names reported for copies and deletions are the names on disk all the same.
    void realRsyncNamesArriveAsTheyAreOnDisk()
    {
        mv::test::TempDir dir;
        const QStringList names { "café.txt", "a\\#b", "d\\#123", "nl\nx", "back\\", " lead", "trail " };
        mv::BackupJob job = mv::BackupJob::create(QDateTime::currentDateTimeUtc());
        job.source.path = dir.mkdir("source");
        for (const QString& name : names)
            dir.write("source/" + name, "x");
        mv::BackupDestination destination = mv::BackupDestination::create(job.createdAt);
        destination.path = dir.filePath("backup");
        RsyncProcessController controller;
        const auto namesOf = [&](const QString& log, std::optional<QString> RsyncEvent::*field) {
            QStringList seen;
            QCoro::waitFor(
                controller.run(mv::PlanBuilder::build(job, destination, mv::AppSettings(), job.createdAt),
                    log, [&](const RsyncEvent& event) {
                        if (event.*field && *(event.*field) != "./")
                            seen << *(event.*field);
                    }));
            seen.sort();
            return seen;
        };
        QStringList sorted = names;
        sorted.sort();

        QCOMPARE(namesOf(dir.filePath("copy.log"), &RsyncEvent::transferredName), sorted);
        QVERIFY(mv::test::TempDir::read(dir.filePath("copy.log")).contains("XFER caf\\#303\\#251.txt"));
        for (const QString& name : names)
            QVERIFY(QFile::remove(dir.filePath("source/" + name)));
        job.mode = mv::BackupMode::mirror;
        QCOMPARE(namesOf(dir.filePath("mirror.log"), &RsyncEvent::deletion), sorted);
    }

    void copiesOverSshIntoTheHomeFolderWithAStoredPassphrase()
    {
        mv::test::TempDir dir;
        mv::BackupJob job = mv::BackupJob::create(QDateTime::currentDateTimeUtc());
        job.source.path = dir.mkdir("source");
        dir.write("source/note.txt", "over ssh");
        mv::test::SshServer server;
        const QString top = "marrowvale-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString home = mv::test::SshServer::home();
        const auto cleanUp = qScopeGuard([&] { QDir(home + '/' + top).removeRecursively(); });
        QVERIFY(QDir().mkpath(home + '/' + top));
        mv::BackupDestination destination = server.destination("~/" + top + "/docs");
        destination.identityFile = server.addProtectedKey("correct horse");
        QVERIFY(mv::KeychainService::savePassphrase("correct horse", destination.id));
        const auto forget = qScopeGuard([&] { mv::KeychainService::deletePassphrase(destination.id); });

        // As the pre-run checks build it for a destination with a stored passphrase.
        RunPlan plan = mv::PlanBuilder::build(
            job, destination, mv::AppSettings(), job.createdAt, std::nullopt, std::nullopt, true);
        plan.environment.insert(mv::SSHCommand::askpassEnvironment(destination.id));
        RsyncProcessController controller;
        Events events;
        const RsyncOutcome outcome = runToEnd(controller, plan, dir.filePath("log"), events);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.errors.join('\n') + server.log()));
        QCOMPARE(mv::test::TempDir::read(home + '/' + top + "/docs/note.txt"), QByteArray("over ssh"));
        QVERIFY(!QFileInfo::exists(home + "/~")); // not a folder literally named "~"
        QVERIFY(events.sawItem("note.txt"));
    }

    void childGetsThePlanAndTheAskpassEntriesOnly()
    {
        mv::test::TempDir dir;
        const QString script = mv::test::executableScript(dir, "fake-rsync",
            "for a in \"$@\"; do echo \"arg:$a\"; done; env | sort; "
            "readlink /proc/self/fd/0");
        RsyncProcessController controller;
        Events events;
        const RsyncOutcome outcome
            = runToEnd(controller, planFor(script, { "--one", "two words" }), dir.filePath("log"), events);
        QCOMPARE(outcome.exitCode, 0);
        QStringList lines = logLines(dir.filePath("log"));
        lines.removeIf([](const QString& line) { return line.startsWith("PWD="); }); // the shell's own
        QCOMPARE(lines,
            (QStringList { "arg:--one", "arg:two words", "LANG=C", "LC_ALL=C",
                "PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin",
                "SSH_ASKPASS=" + mv::askpassExecutablePath(), "SSH_ASKPASS_REQUIRE=force", "/dev/null" }));
    }

    void pauseResumeAndCancelARealTransfer()
    {
        mv::test::TempDir dir;
        dir.write("source/big.bin", QByteArray(4'000'000, 'x'));
        RsyncProcessController controller;
        QVERIFY(!controller.resume());
        const RunPlan plan = planFor("/usr/bin/rsync",
            { "--recursive", "--outbuf=L", "--info=progress2,name0", "--bwlimit=200",
                dir.filePath("source") + "/", dir.filePath("backup") });
        Events events;
        auto task = controller.run(plan, dir.filePath("log"), events.handler());
        MV_TRY_VERIFY(events.sawProgress());

        QVERIFY(!controller.resume()); // not paused
        QVERIFY(controller.pause());
        QVERIFY(!controller.pause()); // already paused
        QVERIFY(controller.resume());
        QVERIFY(!controller.resume());
        QVERIFY(controller.pause());
        QVERIFY(controller.cancel()); // continued, then asked to stop: rsync ends itself
        const RsyncOutcome outcome = QCoro::waitFor(std::move(task));
        // rsync's own status for a termination request: it ran its handler, so no SIGKILL ended it.
        QCOMPARE(outcome.exitCode, 20);
        QVERIFY(outcome.cancelled);
        QVERIFY(!logLines(dir.filePath("log")).contains("Process was still paused when it ended."));
    }

    void cancelOfAPausedChildContinuesItBeforeTerminating()
    {
        mv::test::TempDir dir;
        const QString script = mv::test::executableScript(dir, "child",
            "trap 'echo terminated; exit 7' TERM; echo \"XFER $$\"; "
            "while :; do sleep 0.05; done");
        RsyncProcessController controller;
        Events events;
        auto task = controller.run(planFor(script), dir.filePath("log"), events.handler());
        MV_TRY_VERIFY(events.firstItem());
        QVERIFY(controller.pause());
        MV_TRY_COMPARE(processState(events.firstItem()->toInt()), 'T');
        QVERIFY(controller.cancel());
        const RsyncOutcome outcome = QCoro::waitFor(std::move(task));
        // A stopped child runs no trap: it ended through its own, so it was continued, and no SIGKILL came
        // 4 s later.
        QCOMPARE(outcome.exitCode, 7);
        QVERIFY(outcome.cancelled);
        const QStringList lines = logLines(dir.filePath("log"));
        QVERIFY(lines.contains("terminated"));
    }

    void childIgnoringTerminationIsKilledFourSecondsLater()
    {
        mv::test::TempDir dir;
        // Shrugs SIGTERM off, saying so, and goes on.
        const QString script = mv::test::executableScript(dir, "stubborn",
            "trap 'echo XFER shrugged' TERM; echo 'XFER ready'; while :; do sleep 0.05; done");
        mv::test::ManualClock clock;
        RsyncProcessController controller(clock);
        Events events;
        auto task = controller.run(planFor(script), dir.filePath("log"), events.handler());
        MV_TRY_VERIFY(events.sawItem("ready"));
        QVERIFY(controller.cancel());
        MV_TRY_VERIFY(events.sawItem("shrugged"));
        clock.advance(RsyncProcessController::killDelay - 1ms);
        QCOMPARE(clock.pendingAlarms(), 1); // the kill is still to come
        clock.advance(1ms);
        const RsyncOutcome outcome = QCoro::waitFor(std::move(task));
        QCOMPARE(outcome.exitCode, 128 + SIGKILL);
        QCOMPARE(outcome.errors, QStringList { "rsync was stopped by signal 9." });
        QVERIFY(outcome.cancelled);
    }

    void signalEndsAreNeverSuccessOrPartialTransfer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("SIGXCPU is not 24") << QByteArray("kill -XCPU $$") << 128 + SIGXCPU
                                           << QStringList { "rsync was stopped by signal 24." };
        QTest::newRow("rsync's own error line is kept")
            << QByteArray("echo 'rsync error: received SIGUSR1 (code 19)' >&2; kill -USR1 $$")
            << 128 + SIGUSR1 << QStringList { "rsync error: received SIGUSR1 (code 19)" };
        QTest::newRow("exit 24 stays 24") << QByteArray("exit 24") << 24 << QStringList();
    }
    void signalEndsAreNeverSuccessOrPartialTransfer()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, exitCode);
        QFETCH(QStringList, errors);
        mv::test::TempDir dir;
        RsyncProcessController controller;
        Events events;
        const RsyncOutcome outcome = runToEnd(
            controller, planFor(mv::test::executableScript(dir, "child", body)), dir.filePath("log"), events);
        QCOMPARE(outcome.exitCode, exitCode);
        QCOMPARE(outcome.errors, errors);
        if (!errors.isEmpty())
            QCOMPARE(logLines(dir.filePath("log")).last(), errors.last());
    }

    void childEndingWhilePausedLeavesTheLastLogLine()
    {
        mv::test::TempDir dir;
        const QString script
            = mv::test::executableScript(dir, "child", "echo \"XFER $$\"; while :; do sleep 0.05; done");
        RsyncProcessController controller;
        Events events;
        auto task = controller.run(planFor(script), dir.filePath("log"), events.handler());
        MV_TRY_VERIFY(events.firstItem());
        QVERIFY(controller.pause());
        // Killed from outside: no resume, no cancel.
        QCOMPARE(::kill(events.firstItem()->toInt(), SIGKILL), 0);
        const RsyncOutcome outcome = QCoro::waitFor(std::move(task));
        QVERIFY(!outcome.cancelled);
        QCOMPARE(outcome.exitCode, 128 + SIGKILL);
        QCOMPARE(logLines(dir.filePath("log")).last(), "Process was still paused when it ended.");
    }

    void logIsCappedAtWholeLinesWhileEventsKeepFlowing()
    {
        mv::test::TempDir dir;
        // 50,000 lines of 51 bytes: 2,550,000 bytes, each one an event.
        const QString script = mv::test::executableScript(
            dir, "chatty", "yes 'XFER 0123456789012345678901234567890123456789abcde' | head -n 50000");
        RsyncProcessController controller;
        Events events;
        const RsyncOutcome outcome = runToEnd(controller, planFor(script), dir.filePath("log"), events);
        const QByteArray log = mv::test::TempDir::read(dir.filePath("log"));
        QCOMPARE(log.size(), 39'215 * 51); // the most whole lines within 2,000,000 bytes
        QVERIFY(log.endsWith("abcde\n"));
        QVERIFY(outcome.logTruncated);
        QCOMPARE(events.count(), 50'000);
    }

    void secretsAreMaskedInTheLogAndTheOutcome()
    {
        mv::test::TempDir dir;
        const QString script = mv::test::executableScript(dir, "leaky",
            "echo 'rsync: login failed, password=hunter2 refused' >&2; echo 'ssh-askpass s3cr3t'; "
            "printf 'no line ending token: abc'");
        RsyncProcessController controller;
        Events events;
        const RsyncOutcome outcome = runToEnd(controller, planFor(script), dir.filePath("log"), events);
        const QString log = QString::fromUtf8(mv::test::TempDir::read(dir.filePath("log")));
        QVERIFY(!log.contains("hunter2") && !log.contains("s3cr3t") && !log.contains("abc"));
        QVERIFY(log.contains("password=•••") && log.contains("ssh-askpass •••"));
        QVERIFY(
            log.endsWith("no line ending token=•••\n")); // the unfinished last line came through the flush
        QCOMPARE(outcome.errors, QStringList { "rsync: login failed, password=••• refused" });
    }

    void executableThatCannotRunFailsBeforeOrAtLaunch()
    {
        mv::test::TempDir dir;
        RsyncProcessController controller;
        for (const QString& executable : { dir.mkdir("folder"), dir.write("plain", "#!/bin/sh\n") }) {
            const auto error
                = QCoro::waitFor(failure(&controller, planFor(executable), dir.filePath("never.log")));
            QVERIFY(error);
            QCOMPARE(error->kind(), mv::RsyncRunError::Case::notExecutable);
            QCOMPARE(error->description(), executable + " is not executable.");
            QVERIFY(!QFileInfo::exists(dir.filePath("never.log")));
        }

        const QString badInterpreter = dir.write("bad", "#!/nonexistent/shell\n");
        QFile::setPermissions(badInterpreter, QFile::ReadOwner | QFile::ExeOwner);
        const auto error
            = QCoro::waitFor(failure(&controller, planFor(badInterpreter), dir.filePath("empty.log")));
        QVERIFY(error);
        QCOMPARE(
            error->description(), "rsync could not start. " + QString::fromLocal8Bit(::strerror(ENOENT)));
        QVERIFY(QFileInfo::exists(dir.filePath("empty.log")));
        QCOMPARE(QFileInfo(dir.filePath("empty.log")).size(), 0);
        QVERIFY(!controller.cancel());
    }

    void cancelBeforeTheLaunchIsNotForgotten()
    {
        mv::test::TempDir dir;
        const QString script = mv::test::executableScript(dir, "child", "touch \"$1\"");
        RsyncProcessController controller;
        QVERIFY(!controller.cancel()); // nothing to stop yet, but remembered
        Events events;
        const RsyncOutcome outcome
            = runToEnd(controller, planFor(script, { dir.filePath("ran") }), dir.filePath("log"), events);
        QVERIFY(outcome.cancelled);
        QCOMPARE(outcome.exitCode, -1);
        QVERIFY(!QFileInfo::exists(dir.filePath("ran")));
        QCOMPARE(outcome.logPath, dir.filePath("log"));
    }

    void logNeverFollowsALinkAtItsPath()
    {
        mv::test::TempDir dir;
        const QString victim = dir.write("victim", "keep me");
        QVERIFY(QFile::link(victim, dir.filePath("log")));
        RsyncProcessController controller;
        Events events;
        runToEnd(controller, planFor(mv::test::executableScript(dir, "child", "echo hello")),
            dir.filePath("log"), events);
        QCOMPARE(mv::test::TempDir::read(victim), QByteArray("keep me"));
        QVERIFY(!QFileInfo(dir.filePath("log")).isSymLink());
        QCOMPARE(mv::test::TempDir::read(dir.filePath("log")), QByteArray("hello\n"));
    }
};

QTEST_GUILESS_MAIN(tst_RsyncProcessController)
#include "tst_RsyncProcessController.moc"
