// A scheduler tick and a destination monitor refresh over 500 destinations, each beside the same work
// written as a plain loop: for the tick, a loop over the destinations comparing (and, when due, computing)
// their next run; for the refresh, a loop of stat and statfs calls on the same folders on the calling thread.
// Prints both times, their ratio, and whether a tick stayed under 5 ms.

#include "coordination/DestinationMonitor.h"
#include "coordination/SchedulerService.h"
#include "model/ConfigurationStore.h"
#include "model/VolumeInspector.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <sys/statfs.h>

using namespace mv;

namespace {

constexpr int jobCount = 50;
constexpr int destinationsPerJob = 10;
constexpr double tickBudgetMs = 5.0;

// The median of `repeats` timed calls, in ms; `prepare` runs untimed before each.
double medianMs(int repeats, const std::function<void()>& call, const std::function<void()>& prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        call();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void print(const char* what, double ours, double baseline)
{
    std::printf(
        "%-44s ours %9.3f ms   plain loop %9.3f ms   ratio %6.1f\n", what, ours, baseline, ours / baseline);
}

AppConfiguration configurationOf(
    const QString& root, const QDateTime& now, const std::optional<QString>& identity)
{
    AppConfiguration configuration = AppConfiguration::create(now);
    for (int j = 0; j < jobCount; ++j) {
        BackupJob job = BackupJob::create(now);
        job.name = QStringLiteral("Job %1").arg(j);
        job.schedule.kind = ScheduleKind::hourly;
        for (int d = 0; d < destinationsPerJob; ++d) {
            BackupDestination destination = BackupDestination::create(now);
            destination.name = QStringLiteral("Disk %1").arg(d);
            destination.path = QStringLiteral("%1/job%2/disk%3").arg(root).arg(j).arg(d);
            destination.usesJobSchedule = true;
            destination.volumeIdentity = identity;
            destination.nextRun = now.addSecs(600);
            job.destinations.append(destination);
        }
        configuration.jobs.append(job);
    }
    return configuration;
}

void benchTick(ConfigurationStore& store, const AppConfiguration& configuration, const QDateTime& now)
{
    SchedulerService scheduler(store);
    int due = 0;
    scheduler.onRunDue = [&](const QUuid&, const QUuid&, RunTrigger) { ++due; };

    // The plain loop: the same destinations in plain arrays, compared with now and, when due, given the
    // next slot.
    struct Plain {
        bool enabled;
        BackupSchedule schedule;
        QDateTime nextRun;
    };
    std::vector<Plain> plain;
    for (const BackupJob& job : configuration.jobs)
        for (const BackupDestination& d : job.destinations)
            plain.push_back({ job.isEnabled && d.isEnabled, job.schedule, *d.nextRun });
    const auto plainTick = [&](const QDateTime& at) {
        const QTimeZone zone = QTimeZone::systemTimeZone();
        for (Plain& p : plain)
            if (p.enabled && p.nextRun <= at) {
                p.nextRun = p.schedule.nextRun(at, zone).value_or(QDateTime());
                ++due;
            }
    };
    const std::vector<Plain> original = plain;

    store.setConfig(configuration);
    print("scheduler tick, nothing due", medianMs(200, [&] { scheduler.tick(now); }),
        medianMs(200, [&] { plainTick(now); }));
    const QDateTime later = now.addSecs(900);
    const double allDue = medianMs(
        50, [&] { scheduler.tick(later); }, [&] { store.setConfig(configuration); });
    print("scheduler tick, all 500 due", allDue,
        medianMs(
            50, [&] { plainTick(later); }, [&] { plain = original; }));
    std::printf("a tick under %.0f ms: %s\n", tickBudgetMs, allDue < tickBudgetMs ? "yes" : "no");
}

void benchRefresh(ConfigurationStore& store, const AppConfiguration& configuration, const char* what)
{
    store.setConfig(configuration);
    DestinationMonitor monitor(store);
    bool done = false;
    QObject::connect(&monitor, &DestinationMonitor::refreshed, [&] { done = true; });
    const auto refresh = [&] {
        done = false;
        monitor.refresh();
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    refresh(); // the worker threads start once

    std::vector<QByteArray> paths;
    for (const BackupJob& job : configuration.jobs)
        for (const BackupDestination& d : job.destinations)
            paths.push_back(QFile::encodeName(d.path));
    int present = 0;
    const auto plainLoop = [&] {
        for (const QByteArray& path : paths) {
            struct stat file { };
            struct statfs volume { };
            present += ::stat(path.constData(), &file) == 0 && ::statfs(path.constData(), &volume) == 0;
        }
    };
    print(what, medianMs(20, refresh), medianMs(20, plainLoop));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir support;
    QTemporaryDir folders;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int j = 0; j < jobCount; ++j)
        for (int d = 0; d < destinationsPerJob; ++d)
            QDir().mkpath(QStringLiteral("%1/job%2/disk%3").arg(folders.path()).arg(j).arg(d));
    const auto volume = VolumeInspector::volume(folders.path());
    if (!volume)
        qFatal("cannot inspect the volume of %s", qPrintable(folders.path()));

    ConfigurationStore store(support.path());
    std::printf("%d destinations in %d jobs\n", jobCount * destinationsPerJob, jobCount);
    benchTick(store, configurationOf(folders.path(), now, std::nullopt), now);
    benchRefresh(
        store, configurationOf(folders.path(), now, std::nullopt), "monitor refresh, no volume recorded");
    benchRefresh(
        store, configurationOf(folders.path(), now, volume->identity), "monitor refresh, volume recorded");
    return 0;
}
