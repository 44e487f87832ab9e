#include "platform/Subprocess.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <csignal>
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
        // The background sleep holds the output pipe: only a signal to the group ends the run quickly.
        QElapsedTimer timer;
        timer.start();
        const auto stopped = runToEnd(shell("sleep 30 & sleep 30"), 200ms);
        QVERIFY(stopped.timedOut);
        QCOMPARE(stopped.exitStatus, 128 + SIGTERM);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));

        timer.restart();
        auto deaf = Subprocess::run(shell("trap '' TERM; echo ready; sleep 30"), 200ms, 100, 500ms);
        QVERIFY(deaf && deaf->timedOut);
        QCOMPARE(deaf->exitStatus, 128 + SIGKILL);
        QCOMPARE(deaf->output, QByteArray("ready\n"));
        QVERIFY(timer.elapsed() >= 700 && timer.elapsed() < 3000);
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
        auto spec = shell("while :; do echo tick; sleep 0.05; done");
        spec.onStdout = [&](QByteArrayView) { ++chunks; };
        auto started = Subprocess::start(spec);
        QVERIFY(started);
        Subprocess& child = **started;
        QTRY_VERIFY(chunks > 0);
        QVERIFY(child.signal(SIGSTOP));
        QThread::msleep(150);
        const int whileStopped = chunks;
        QThread::msleep(300);
        QCOMPARE(int(chunks), whileStopped);
        QVERIFY(child.isRunning());
        QVERIFY(child.signal(SIGCONT));
        QTRY_VERIFY(chunks > whileStopped);

        QVERIFY(!child.waitFor(10ms));
        QVERIFY(child.terminate(4s));
        QCOMPARE(child.wait(), 128 + SIGTERM);
        QVERIFY(child.waitForOutputEnd(2s));
        QVERIFY(!child.isRunning());
        QVERIFY(!child.signal(SIGCONT));
        QVERIFY(!child.terminate(1s));
    }
};

QTEST_GUILESS_MAIN(tst_Subprocess)
#include "tst_Subprocess.moc"
