// Copying a tree of 100,000 small files through the coordinator (checks, transfer, the relay of its
// progress to the main thread, the ending and its history row) against raw rsync given the same arguments
// with its output sent to /dev/null: a first run into an empty folder and a run with nothing to copy. Each
// pair runs in the same process, alternating which goes first; the medians and the min-max of several
// rounds are printed with their ratios, on disk and on tmpfs (where rsync is fastest, the worst case for
// the program's share). Then the output parser's throughput on the recorded output of a first run, against
// the rate at which rsync printed that output. "--disk" or "--tmpfs" runs one of the two.

#include "coordination/BackupCoordinator.h"
#include "coordination/NotificationService.h"
#include "engine/LineSplitter.h"
#include "engine/PlanBuilder.h"
#include "engine/RsyncOutputParser.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/ConfigurationStore.h"
#include "model/HistoryRepository.h"
#include "platform/Subprocess.h"
#include "support/GoogleFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

constexpr int rounds = 6; // even, so that each side goes first equally often
// The goals for a first run through the coordinator.
constexpr double cpuGoal = 0.05; // the program's own CPU time against its rsync's
constexpr double wallGoal = 1.03; // wall time against raw rsync's
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

// "median (min-max)"
QByteArray spread(const std::vector<double>& values, const char* format = "%.3f")
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const QByteArray pattern = QByteArray(format) + " (" + format + "-" + format + ")";
    return QString::asprintf(pattern.constData(), median(values), *low, *high).toUtf8();
}

void removeFolder(const QString& path)
{
    QDir(path).removeRecursively();
}

// One run of the job's destination through the coordinator, from enqueue() to its history row.
Cost runCoordinator(BackupCoordinator& coordinator, HistoryRepository& history, const BackupJob& job)
{
    return measure([&] {
        bool recorded = false;
        const auto connection = QObject::connect(
            &coordinator, &BackupCoordinator::runFinished, [&recorded] { recorded = true; });
        coordinator.enqueue(job, job.destinations.first(), RunTrigger::manual);
        while (!recorded)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QObject::disconnect(connection);
        const std::vector<BackupRunRecord> rows = history.fetch(1, 0);
        if (rows.empty() || rows.front().result != RunResult::success)
            qFatal("coordinator run failed: %s",
                rows.empty() ? "no row" : qPrintable(rows.front().errorSummary.value_or(QString())));
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
    std::vector<double> programWall, rawWall, wallRatio, ownCpu, rsyncCpu, cpuRatio;
    void add(const Cost& program, const Cost& raw)
    {
        programWall.push_back(program.wall);
        rawWall.push_back(raw.wall);
        wallRatio.push_back(program.wall / raw.wall);
        ownCpu.push_back(program.ownCpu);
        rsyncCpu.push_back(program.childCpu);
        cpuRatio.push_back(program.ownCpu / program.childCpu);
    }
    void print(const char* name) const
    {
        std::printf("%-10s wall: coordinator %s s, raw rsync %s s, ratio %s\n", name,
            spread(programWall).constData(), spread(rawWall).constData(), spread(wallRatio).constData());
        std::printf("%-10s CPU:  program %s s, its rsync %s s, ratio %s\n", name, spread(ownCpu).constData(),
            spread(rsyncCpu).constData(), spread(cpuRatio).constData());
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

// The coordinator's path against raw rsync with the tree in `base`; answers whether the first run met the
// goals.
bool compare(const QString& base, const char* kind)
{
    QTemporaryDir scratch(base + QStringLiteral("/bench-rsync-XXXXXX"));
    if (!scratch.isValid())
        qFatal("cannot make a folder in %s", qPrintable(base));
    const QString source = scratch.filePath("source");
    writeTree(source);

    ConfigurationStore store(scratch.filePath("support"));
    HistoryRepository history(scratch.filePath("support/history.sqlite"));
    NotificationService notifications; // never prepared: no notice is posted
    bench::GoogleFixture google(
        store, QUrl(QStringLiteral("http://127.0.0.1:9")), scratch.filePath("support"));
    BackupCoordinator coordinator(store, history, notifications, google.services());
    BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
    job.name = QStringLiteral("Bench");
    job.source.path = source;
    BackupDestination destination = BackupDestination::create(job.createdAt);
    destination.name = QStringLiteral("Bench copy");
    destination.path = scratch.filePath("coordinator");
    job.destinations = { destination };
    store.addJob(job);
    const RunPlan plan = PlanBuilder::build(job, destination, store.config().settings, job.createdAt);
    const RunPlan rawPlan = withTarget(plan, scratch.filePath("raw"));
    std::printf("== %s, %s: %d files; rsync %s\n", kind, qPrintable(scratch.path()), fileCount,
        qPrintable(plan.arguments.join(u' ')));

    // Warm the page cache and the dentries of the source for both sides alike.
    runRaw(withTarget(plan, scratch.filePath("warm")));
    removeFolder(scratch.filePath("warm"));

    Pair first;
    Pair nothingToCopy;
    for (int round = 0; round < rounds; ++round) {
        removeFolder(scratch.filePath("coordinator"));
        removeFolder(scratch.filePath("raw"));
        QDir().mkpath(scratch.filePath("coordinator"));
        QDir().mkpath(scratch.filePath("raw"));
        // Alternating which side goes first; the second run of each pair has nothing to copy.
        const auto pair = [&, programFirst = round % 2 == 0](Pair& into) {
            Cost program, raw;
            if (programFirst) {
                program = runCoordinator(coordinator, history, job);
                raw = runRaw(rawPlan);
            } else {
                raw = runRaw(rawPlan);
                program = runCoordinator(coordinator, history, job);
            }
            into.add(program, raw);
        };
        pair(first);
        pair(nothingToCopy);
    }
    first.print("first run");
    nothingToCopy.print("no-op run");
    const double cpu = median(first.cpuRatio);
    const double wall = median(first.wallRatio);
    const bool met = cpu <= cpuGoal && wall <= wallGoal;
    std::printf(
        "goal       first run: program CPU %.3f of rsync's (goal <= %.2f), wall %.3fx (goal <= %.2fx): %s\n",
        cpu, cpuGoal, wall, wallGoal, met ? "met" : "NOT met");
    removeFolder(scratch.filePath("raw"));
    if (std::strcmp(kind, "disk") == 0)
        parserThroughput(rawPlan);
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    // The coordinator writes its logs under the data folder: keep them out of the user's.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const bool disk = !arguments.contains(QStringLiteral("--tmpfs"));
    const bool tmpfs
        = !arguments.contains(QStringLiteral("--disk")) && QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    if (disk)
        compare(QDir::tempPath(), "disk");
    if (tmpfs)
        compare(QStringLiteral("/dev/shm"), "tmpfs");
    return 0;
}
