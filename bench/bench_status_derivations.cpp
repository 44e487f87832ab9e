// Every status derivation read over 100 jobs of 5 destinations with 20 live runs, beside a plain loop that
// only touches each destination's last result (the least a walk of the configuration must do). Prints the
// median of each read and of whole lists of them, the ratio to the plain loop, and whether each single read
// stayed under 1 ms, since the views read them on every redraw.

#include "coordination/StatusDerivations.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

using namespace mv;

namespace {

constexpr int jobCount = 100;
constexpr int destinationsPerJob = 5;
constexpr int liveRuns = 20;
constexpr int repeats = 501;
constexpr double readBudgetMs = 1.0;

double medianMs(const std::function<void()>& call)
{
    std::vector<double> times;
    times.reserve(repeats);
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + repeats / 2, times.end());
    return times[repeats / 2];
}

} // namespace

int main()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<BackupJob> jobs;
    QHash<DestinationRef, Availability> availability;
    for (int j = 0; j < jobCount; ++j) {
        BackupJob job;
        job.id = QUuid::createUuid();
        job.name = QStringLiteral("Job %1").arg(j);
        for (int d = 0; d < destinationsPerJob; ++d) {
            BackupDestination destination;
            destination.id = QUuid::createUuid();
            destination.lastResult = RunResult::success;
            destination.lastSuccess = now.addSecs(-3600 * (j + d));
            availability.insert({ job.id, destination.id }, Availability::online());
            job.destinations.append(destination);
        }
        jobs.append(job);
    }
    QList<ActiveRun> runs;
    for (int r = 0; r < liveRuns; ++r) {
        const BackupJob& job = jobs[r * (jobCount / liveRuns)];
        ActiveRun run;
        run.key = { job.id, job.destinations[r % destinationsPerJob].id };
        run.jobName = job.name;
        run.progress.phase = RunPhase::running;
        run.progress.fraction = 0.5;
        runs.append(run);
    }
    const HistoryStats stats { 100'000, 90'000, 5'000, 1'000'000'000, now };
    const StatusDerivations derive({ jobs, runs, runs, availability, { true, true }, stats, now });

    volatile qint64 sink = 0;
    const double plain = medianMs([&] {
        for (const BackupJob& job : jobs)
            for (const BackupDestination& destination : job.destinations)
                sink = sink + int(*destination.lastResult);
    });
    const std::vector<std::pair<const char*, std::function<void()>>> reads {
        { "aggregateStatus", [&] { sink = sink + int(derive.aggregateStatus().kind); } },
        { "one destinationStatus",
            [&] { sink = sink + derive.destinationStatus(jobs[7], jobs[7].destinations[2]).text.size(); } },
        { "all 500 destinationStatus",
            [&] {
                for (const BackupJob& job : jobs)
                    for (const BackupDestination& destination : job.destinations)
                        sink = sink + derive.destinationStatus(job, destination).text.size();
            } },
        { "all 100 jobStatus",
            [&] {
                for (const BackupJob& job : jobs)
                    sink = sink + derive.jobStatus(job).text.size();
            } },
        { "one jobStatus", [&] { sink = sink + derive.jobStatus(jobs[7]).text.size(); } },
        { "activeJobCount", [&] { sink = sink + derive.activeJobCount(); } },
        { "enabledJobCount", [&] { sink = sink + derive.enabledJobCount(); } },
        { "lastSuccessfulBackup", [&] { sink = sink + derive.lastSuccessfulBackup().has_value(); } },
        { "totalTransferred", [&] { sink = sink + derive.totalTransferred(); } },
        { "allDestinations", [&] { sink = sink + derive.allDestinations().size(); } },
    };
    std::printf("%d jobs x %d destinations, %d live runs; plain loop over the last results %.4f ms\n",
        jobCount, destinationsPerJob, liveRuns, plain);
    for (const auto& [name, read] : reads) {
        const double ms = medianMs(read);
        // A whole list is many reads; the budget is for one.
        const bool list = std::string_view(name).starts_with("all ");
        std::printf("  %-26s %8.4f ms  ratio %7.1f  %s\n", name, ms, ms / plain,
            list                    ? ""
                : ms < readBudgetMs ? "under 1 ms"
                                    : "OVER 1 ms");
    }
    return 0;
}
