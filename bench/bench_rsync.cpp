// Copying a tree of 100,000 small files through RsyncProcessController against raw rsync given the same
// arguments with its output sent to /dev/null: a first run into an empty folder and a run with nothing to
// copy. Each pair runs in the same process, alternating which goes first; the medians of several rounds are
// printed with their ratios. Then the output parser's throughput on the recorded output of a first run,
// against the rate at which rsync printed that output.

#include "engine/LineSplitter.h"
#include "engine/PlanBuilder.h"
#include "engine/RsyncOutputParser.h"
#include "engine/RsyncProcessController.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "platform/Subprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

constexpr int rounds = 4; // even, so that each side goes first equally often
constexpr int fileCount = 100'000;
constexpr int filesPerFolder = 200;

void writeTree(const QString& root)
{
    const QByteArray content(300, 'x');
    for (int i = 0; i < fileCount; ++i) {
        const QString folder = root + QStringLiteral("/d%1").arg(i / filesPerFolder, 3, 10, QLatin1Char('0'));
        if (i % filesPerFolder == 0)
            QDir().mkpath(folder);
        const QByteArray path = QFile::encodeName(folder + QStringLiteral("/file%1.txt").arg(i));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, content.constData(), 100 + i % 200) < 0)
            qFatal("cannot write %s", path.constData());
        ::close(fd);
    }
}

double seconds(const timeval& time)
{
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double cpu(int who)
{
    rusage usage {};
    ::getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall time, this process's own CPU time (all its threads) and its children's (rsync and what it forks).
struct Cost {
    double wall = 0;
    double ownCpu = 0;
    double childCpu = 0;
};

Cost measure(const std::function<void()>& work)
{
    // Whatever the previous run or removal left for writeback would otherwise slow this one down.
    ::sync();
    const double self = cpu(RUSAGE_SELF);
    const double children = cpu(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    work();
    return { static_cast<double>(timer.nsecsElapsed()) / 1e9, cpu(RUSAGE_SELF) - self,
        cpu(RUSAGE_CHILDREN) - children };
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void removeFolder(const QString& path)
{
    QDir(path).removeRecursively();
}

Cost runController(const RunPlan& plan, const QString& logPath)
{
    return measure([&] {
        RsyncProcessController controller;
        std::atomic<qint64> events = 0;
        const RsyncOutcome outcome
            = QCoro::waitFor(controller.run(plan, logPath, [&events](const RsyncEvent&) { ++events; }));
        if (outcome.exitCode != 0)
            qFatal("controller run failed: %d", outcome.exitCode);
    });
}

Cost runRaw(const RunPlan& plan)
{
    return measure([&] {
        SubprocessSpec spec { .executable = plan.executable,
            .arguments = plan.arguments,
            .environment = plan.environment,
            .output = SubprocessOutput::discarded,
            .niceness = 10,
            .onStdout = {},
            .onStderr = {} };
        auto process = Subprocess::start(std::move(spec));
        if (!process || (*process)->wait() != 0)
            qFatal("raw rsync failed");
    });
}

struct Pair {
    std::vector<double> controllerWall, rawWall, ownCpu, rsyncCpu, rawRsyncCpu;
    void add(const Cost& controller, const Cost& raw)
    {
        controllerWall.push_back(controller.wall);
        rawWall.push_back(raw.wall);
        ownCpu.push_back(controller.ownCpu);
        rsyncCpu.push_back(controller.childCpu);
        rawRsyncCpu.push_back(raw.childCpu);
    }
    void print(const char* name) const
    {
        const double wall = median(controllerWall);
        const double baseline = median(rawWall);
        const double own = median(ownCpu);
        const double rsync = median(rsyncCpu);
        std::printf("%-10s wall: controller %.3f s, raw rsync %.3f s, ratio %.3f (target <= 1.10)\n", name,
            wall, baseline, wall / baseline);
        std::printf(
            "%-10s CPU:  program %.3f s, its rsync %.3f s (raw rsync %.3f s), ratio %.3f (target < 0.10)\n",
            name, own, rsync, median(rawRsyncCpu), own / rsync);
    }
};

RunPlan withTarget(RunPlan plan, const QString& target)
{
    plan.arguments.last() = target;
    return plan;
}

void parserThroughput(const RunPlan& plan)
{
    QElapsedTimer rsyncTimer;
    rsyncTimer.start();
    auto recorded = Subprocess::run(SubprocessSpec { .executable = plan.executable,
                                        .arguments = plan.arguments,
                                        .environment = plan.environment,
                                        .output = SubprocessOutput::merged,
                                        .niceness = 0,
                                        .onStdout = {},
                                        .onStderr = {} },
        10min, qsizetype(1) << 30);
    const double rsyncSeconds = static_cast<double>(rsyncTimer.nsecsElapsed()) / 1e9;
    if (!recorded || recorded->exitStatus != 0)
        qFatal("recording rsync's output failed");
    const QByteArray& output = recorded->output;

    qint64 lines = 0;
    int passes = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2000) {
        LineSplitter splitter;
        RsyncOutputParser parser;
        for (qsizetype at = 0; at < output.size(); at += 65536) {
            for (const QString& line : splitter.append(
                     QByteArrayView(output).sliced(at, std::min<qsizetype>(65536, output.size() - at)))) {
                parser.consume(line);
                ++lines;
            }
        }
        ++passes;
    }
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double megabytes = static_cast<double>(output.size()) * passes / 1e6;
    const double parserRate = megabytes / elapsed;
    const double rsyncRate = static_cast<double>(output.size()) / 1e6 / rsyncSeconds;
    std::printf(
        "parser     %.1f MB/s (%.0f lines/s) on %lld bytes, %lld lines of a recorded first run; rsync "
        "printed them at %.2f MB/s; ratio %.0f\n",
        parserRate, static_cast<double>(lines) / elapsed, static_cast<long long>(output.size()),
        static_cast<long long>(lines / passes), rsyncRate, parserRate / rsyncRate);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString source = scratch.filePath("source");
    writeTree(source);

    BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
    job.source.path = source;
    BackupDestination destination = BackupDestination::create(job.createdAt);
    destination.path = scratch.filePath("controller");
    const RunPlan plan = PlanBuilder::build(job, destination, AppSettings(), job.createdAt);
    const RunPlan rawPlan = withTarget(plan, scratch.filePath("raw"));
    const QString logPath = scratch.filePath("run.log");
    std::printf("%d files; rsync %s\n", fileCount, qPrintable(plan.arguments.join(u' ')));

    // Warm the page cache and the dentries of the source for both sides alike.
    runRaw(withTarget(plan, scratch.filePath("warm")));
    removeFolder(scratch.filePath("warm"));

    Pair first;
    Pair nothingToCopy;
    for (int round = 0; round < rounds; ++round) {
        removeFolder(scratch.filePath("controller"));
        removeFolder(scratch.filePath("raw"));
        QDir().mkpath(scratch.filePath("controller"));
        QDir().mkpath(scratch.filePath("raw"));
        // Alternating which side goes first; the second run of each pair has nothing to copy.
        const auto pair = [&, controllerFirst = round % 2 == 0](Pair& into) {
            Cost controller, raw;
            if (controllerFirst) {
                controller = runController(plan, logPath);
                raw = runRaw(rawPlan);
            } else {
                raw = runRaw(rawPlan);
                controller = runController(plan, logPath);
            }
            into.add(controller, raw);
        };
        pair(first);
        pair(nothingToCopy);
    }
    first.print("first run");
    nothingToCopy.print("no-op run");

    removeFolder(scratch.filePath("raw"));
    parserThroughput(rawPlan);
    return 0;
}
