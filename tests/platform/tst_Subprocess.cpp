#include "platform/FileDescriptor.h"
#include "platform/Subprocess.h"
#include "support/IntegrationTimeout.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace std::chrono_literals;
using mv::Subprocess;
using mv::SubprocessOutput;
using mv::SubprocessSpec;

namespace {

SubprocessSpec shell(const QString& script, QMap<QString, QString> environment = {})
{
    return SubprocessSpec { .executable = "/bin/sh",
        .arguments = { "-c", script },
        .environment = std::move(environment),
        .output = SubprocessOutput::separate,
        .niceness = 0,
        .onStdout = {},
        .onStderr = {} };
}

// The argument that makes this test program a parent of its own: it starts its other arguments through
// Subprocess, prints the child's pid and waits to be killed.
constexpr char holdChildSwitch[] = "--hold-child";

int holdChild(int argc, char** argv)
{
    SubprocessSpec spec;
    spec.executable = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i)
        spec.arguments << QString::fromLocal8Bit(argv[i]);
    spec.output = SubprocessOutput::discarded;
    auto child = Subprocess::start(spec);
    if (!child)
        return 1;
    const QByteArray line = QByteArray::number((*child)->pid()) + '\n';
    if (::write(STDOUT_FILENO, line.constData(), line.size()) != line.size())
        return 1;
    for (;;)
        ::pause();
}

// Waits until the process `pid` has ended, observing it through a pidfd; false when it outlived the
// integration timeout.
bool endsWithin(pid_t pid, std::chrono::milliseconds timeout = mv::test::integrationTimeout)
{
    const mv::FileDescriptor pidFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (pidFd.get() < 0)
        return errno == ESRCH;
    pollfd entry { pidFd.get(), POLLIN, 0 };
    return ::poll(&entry, 1, int(timeout.count())) == 1;
}

// The state letter of /proc/<pid>/stat ('T' once stopped), or 0 when the process is gone.
char processState(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() ? line.at(close + 2) : 0;
}

mv::SubprocessResult runToEnd(
    SubprocessSpec spec, std::chrono::milliseconds timeout = 20s, qsizetype limit = 1 << 20)
{
    auto result = Subprocess::run(std::move(spec), timeout, limit);
    if (!result)
        qFatal("could not start: %s", qPrintable(result.error()));
    return *result;
}

} // namespace

class tst_Subprocess : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void childGetsExactlyItsArgumentsEnvironmentAndDescriptors()
    {
        // The test's own stray descriptor must not reach the child.
        const int stray = ::dup(STDOUT_FILENO);
        auto spec = shell("printf '%s|' \"$0\" \"$1\"; env | sort | tr '\\n' ' '; "
                          "ls /proc/self/fd | tr '\\n' ' ' >&2; echo >&2; readlink /proc/self/fd/0 >&2; "
                          "cut -d' ' -f5 /proc/self/stat >&2",
            { { "ONE", "a b" }, { "TWO", "'quoted'" } });
        spec.arguments << "first word"
                       << "$HOME";
        const auto result = runToEnd(spec);
        ::close(stray);

        QCOMPARE(result.exitStatus, 0);
        // sh adds PWD itself; nothing of the test's environment (HOME, PATH) is passed.
        QCOMPARE(result.output,
            QByteArray("first word|$HOME|ONE=a b PWD=") + QDir::currentPath().toUtf8() + " TWO='quoted' ");
        const QList<QByteArray> lines = result.errorOutput.split('\n');
        // ls itself has the folder open as 3; nothing else beyond 0, 1 and 2.
        QCOMPARE(lines.value(0), QByteArray("0 1 2 3 "));
        QCOMPARE(lines.value(1), QByteArray("/dev/null"));
        // Process group of its own: the shell's pgid is its own pid, not ours.
        QVERIFY(lines.value(2).toInt() != ::getpgrp());
    }

    void outputIsMergedOrDiscardedOnRequest()
    {
        auto merged = shell("echo out; echo err >&2");
        merged.output = SubprocessOutput::merged;
        const auto one = runToEnd(merged);
        QCOMPARE(one.output, QByteArray("out\nerr\n"));
        QVERIFY(one.errorOutput.isEmpty());

        auto discarded = shell("echo out; echo err >&2; exit 3");
        discarded.output = SubprocessOutput::discarded;
        const auto none = runToEnd(discarded);
        QCOMPARE(none.exitStatus, 3);
        QVERIFY(none.output.isEmpty() && none.errorOutput.isEmpty());
    }

    void exitStatusOfASignalIsOneHundredTwentyEightPlusIt_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("status");
        QTest::newRow("exit 24") << "exit 24" << 24;
        QTest::newRow("SIGXCPU is not 24") << "kill -XCPU $$" << 128 + SIGXCPU;
        QTest::newRow("SIGKILL") << "kill -KILL $$" << 137;
        QTest::newRow("SIGPIPE is not ignored in the child") << "kill -PIPE $$" << 128 + SIGPIPE;
    }
    void exitStatusOfASignalIsOneHundredTwentyEightPlusIt()
    {
        QFETCH(QString, script);
        QFETCH(int, status);
        // The test runner ignores SIGPIPE like the program does; the child must get it back at default.
        const auto previous = std::signal(SIGPIPE, SIG_IGN);
        QCOMPARE(runToEnd(shell(script)).exitStatus, status);
        std::signal(SIGPIPE, previous);
    }

    void deadlineTerminatesTheWholeGroupAndKillsWhatIgnoresIt()
    {
        // The background sleep holds the output pipe: only a signal to the group ends it.
        const auto stopped = runToEnd(shell("/bin/sleep 600 & echo $!; /bin/sleep 600"), 200ms);
        QVERIFY(stopped.timedOut);
        QCOMPARE(stopped.exitStatus, 128 + SIGTERM);
        const pid_t background = stopped.output.trimmed().toInt();
        QVERIFY(background > 0);
        QVERIFY(endsWithin(background));

        // The child notes each SIGTERM and carries on; only the kill after the grace time ends it.
        auto deaf = Subprocess::run(
            shell("trap 'echo term' TERM; echo ready; while :; do /bin/sleep 600 & wait; done"), 200ms, 100,
            1s);
        QVERIFY(deaf && deaf->timedOut);
        QCOMPARE(deaf->exitStatus, 128 + SIGKILL);
        QCOMPARE(deaf->output, QByteArray("ready\nterm\n"));
    }

    void captureIsBoundedWhileTheChildWritesOn()
    {
        const auto result = runToEnd(shell("head -c 3000000 /dev/zero; echo done >&2"), 20s, 1 << 20);
        QCOMPARE(result.exitStatus, 0);
        QCOMPARE(result.output.size(), 1 << 20);
        QVERIFY(result.outputTruncated);
        QCOMPARE(result.errorOutput, QByteArray("done\n"));
    }

    // A batching reader wakes at most once per batching interval while the child runs, however slow the
    // machine, and stops waiting once the child has exited; nothing is lost either way.
    void batchedReadingWakesOncePerBatchAndLosesNothing_data()
    {
        QTest::addColumn<int>("batchingMs");
        QTest::newRow("unbatched") << 0;
        QTest::newRow("200 ms") << 200;
        QTest::newRow("longer than the test") << 600'000;
    }
    void batchedReadingWakesOncePerBatchAndLosesNothing()
    {
        QFETCH(int, batchingMs);
        auto spec = shell("i=0; while [ $i -lt 30 ]; do echo line$i; sleep 0.01; i=$((i+1)); done");
        spec.readBatching = std::chrono::milliseconds(batchingMs);
        QByteArray output;
        int chunks = 0;
        spec.onStdout = [&](QByteArrayView chunk) {
            output += chunk;
            ++chunks;
        };
        QElapsedTimer timer;
        timer.start();
        auto child = Subprocess::start(spec);
        QVERIFY(child);
        QCOMPARE((*child)->wait(), 0);
        const qint64 runMs = timer.elapsed();
        QVERIFY((*child)->waitForOutputEnd(std::chrono::milliseconds(batchingMs) / 2 + 60s));
        QVERIFY2(output.startsWith("line0\n") && output.endsWith("line29\n") && output.count('\n') == 30,
            output.constData());
        if (batchingMs > 0)
            QVERIFY2(chunks <= runMs / batchingMs + 2, qPrintable(QString::number(chunks)));
    }

    void startReportsWhyItFailed()
    {
        auto spec = shell("");
        spec.executable = "/nonexistent/program";
        const auto failed = Subprocess::start(spec);
        QVERIFY(!failed);
        QCOMPARE(failed.error(), QString::fromLocal8Bit(::strerror(ENOENT)));
    }

    void stopAndContinueReachTheChildAndSignalsStopAfterItExits()
    {
        std::atomic<int> chunks = 0;
        // One process that never forks: a shell's loop may sit in a vfork behind its stopped child, and
        // would then never show itself stopped.
        auto spec = shell("exec /usr/bin/yes tick");
        spec.onStdout = [&](QByteArrayView) { ++chunks; };
        auto started = Subprocess::start(spec);
        QVERIFY(started);
        Subprocess& child = **started;
        MV_TRY_VERIFY(chunks > 0);
        QVERIFY(child.signal(SIGSTOP));
        MV_TRY_COMPARE(processState(child.pid()), 'T');
        QVERIFY(child.isRunning());
        const int whileStopped = chunks;
        QVERIFY(child.signal(SIGCONT));
        MV_TRY_VERIFY(chunks > whileStopped);

        QVERIFY(!child.waitFor(10ms));
        QVERIFY(child.terminate(4s));
        QCOMPARE(child.wait(), 128 + SIGTERM);
        QVERIFY(child.waitForOutputEnd(2s));
        QVERIFY(!child.isRunning());
        QVERIFY(!child.signal(SIGCONT));
        QVERIFY(!child.terminate(1s));
    }

    // The program is killed outright: the child it started must not live on, writing on its own.
    void childEndsWhenTheProgramIsKilled()
    {
        std::mutex mutex;
        QByteArray printed;
        SubprocessSpec spec { .executable = QCoreApplication::applicationFilePath(),
            .arguments = { QString::fromLatin1(holdChildSwitch), "/bin/sleep", "600" },
            .environment = {},
            .output = SubprocessOutput::separate,
            .niceness = 0,
            .onStdout =
                [&](QByteArrayView chunk) {
                    std::lock_guard lock(mutex);
                    printed += chunk;
                },
            .onStderr = {} };
        auto started = Subprocess::start(spec);
        QVERIFY(started);
        Subprocess& program = **started;
        const auto childPid = [&] {
            std::lock_guard lock(mutex);
            return printed.endsWith('\n') ? pid_t(printed.trimmed().toInt()) : pid_t(0);
        };
        MV_TRY_VERIFY(childPid() > 0);
        const pid_t child = childPid();
        QVERIFY(processState(child) != 0);

        QVERIFY(program.signal(SIGKILL));
        QCOMPARE(program.wait(), 128 + SIGKILL);
        const bool ended = endsWithin(child);
        if (!ended)
            ::kill(child, SIGKILL);
        QVERIFY(ended);
    }

    // The parent-death signal follows the thread that started a child: a child started from a worker
    // thread that has since ended must still run.
    void childOutlivesTheThreadThatStartedIt()
    {
        std::unique_ptr<Subprocess> child;
        pid_t workerTid = 0;
        std::thread worker([&] {
            workerTid = static_cast<pid_t>(::gettid());
            auto started = Subprocess::start(shell("exec /bin/sleep 600"));
            if (started)
                child = std::move(*started);
        });
        worker.join();
        QVERIFY(child);
        // Only once the thread is gone from the process has any signal tied to it been sent.
        MV_TRY_VERIFY(!QFileInfo::exists(QStringLiteral("/proc/self/task/%1").arg(workerTid)));

        // A child already killed as its thread ended could not end by this SIGTERM.
        QVERIFY(child->signal(SIGTERM));
        QCOMPARE(child->wait(), 128 + SIGTERM);
    }
};

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], holdChildSwitch) == 0)
        return holdChild(argc, argv);
    QCoreApplication application(argc, argv);
    tst_Subprocess test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Subprocess.moc"
