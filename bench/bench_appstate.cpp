// The state hub's launch: building AppState and start() on a configuration of 100 jobs with 5 destinations
// each and a history of 100,000 runs, until its first history load has arrived, then building the status
// board the views read (which computes every status) and one read of each kind; beside reading the same
// config.json and history with the store and the repository alone (the totals and the newest 120 runs).
// Prints the medians of several rounds and their ratio, the board's computing, and whether each read stayed
// under 1 ms.

#include "coordination/AppState.h"
#include "google/SecretBackend.h"
#include "model/ConfigurationStore.h"
#include "platform/FileManager.h"
#include "platform/SystemLog.h"
#include "platform/UrlOpener.h"
#include "support/SupportFixture.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/StatusBoard.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace mv;

namespace {

constexpr int jobCount = 100;
constexpr int destinationsPerJob = 5;
constexpr int historyRows = 100'000;
constexpr int rounds = 7;
constexpr double readBudgetMs = 1.0;

// No keyring: the launch reads no Google secret until an account is used.
class NoSecrets final : public SecretBackend {
public:
    Lookup lookup(const QString&) override { return {}; }
    bool store(const QString&, const QString&) override { return false; }
    bool remove(const QString&) override { return false; }
};

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir support;
    qputenv("MARROWVALE_SUPPORT_DIR", QFile::encodeName(support.path()));
    bench::prepareSupportFolder(support.path(), jobCount, destinationsPerJob, historyRows);

    NoSecrets secrets;
    XdgOpenUrlOpener opener;
    DesktopFileManager fileManager(QDBusConnection::sessionBus());
    std::vector<double> program, baseline;
    std::vector<double> boards;
    std::vector<std::vector<double>> reads(5);
    for (int round = 0; round < rounds; ++round) {
        baseline.push_back(elapsedMs([&] {
            ConfigurationStore store(support.path());
            HistoryRepository history(QDir(support.path()).filePath(QStringLiteral("history.sqlite")));
            const HistoryStats stats = history.stats();
            const auto runs = history.fetch(HistoryFeed::recentRunLimit, 0);
            if (store.config().jobs.size() != jobCount || runs.size() != HistoryFeed::recentRunLimit
                || stats.totalRuns == 0)
                qFatal("the baseline read the wrong data");
        }));

        std::optional<ConfigurationStore> store;
        std::optional<AppState> state;
        program.push_back(elapsedMs([&] {
            store.emplace(support.path());
            state.emplace(*store,
                AppEnvironment { Clock::system(), QDBusConnection::sessionBus(), QDBusConnection::systemBus(),
                    secrets, opener, fileManager, SystemLog::system(), GoogleEndpoints::google() });
            QEventLoop loaded;
            QObject::connect(&state->historyFeed(), &HistoryFeed::changed, &loaded, &QEventLoop::quit);
            QTimer::singleShot(60'000, &loaded, [] { qFatal("the history never arrived"); });
            state->start();
            loaded.exec();
        }));
        std::optional<ActiveRunsModel> runs;
        std::optional<StatusBoard> board;
        boards.push_back(elapsedMs([&] {
            runs.emplace(state->coordinator());
            board.emplace(*store, *runs, state->monitor(), state->googleAuth(), state->googleCredentials(),
                state->historyFeed(), state->clock());
        }));
        const BackupJob job = store->config().jobs.at(7);
        const std::vector<std::function<void()>> each {
            [&] { board->aggregate(); },
            [&] { board->destinationStatus(job.id, job.destinations.at(2).id); },
            [&] { board->jobStatus(job.id); },
            [&] { board->summary(); },
            [&] { board->allDestinations(); },
        };
        for (std::size_t i = 0; i < each.size(); ++i)
            reads[i].push_back(elapsedMs(each[i]));
    }

    const double programMs = median(program);
    const double baselineMs = median(baseline);
    std::printf("%d jobs x %d destinations, %d history rows, median of %d rounds\n", jobCount,
        destinationsPerJob, historyRows, rounds);
    std::printf("  AppState built and started, history loaded  %8.2f ms\n", programMs);
    std::printf("  store and repository alone                  %8.2f ms   ratio %.2f\n", baselineMs,
        programMs / baselineMs);
    // The board computes every status of every job at once, when something they derive from changes; a
    // view's read is a lookup.
    std::printf("  status board built, every status computed   %8.2f ms\n", median(boards));
    static const char* names[]
        = { "aggregate", "destinationStatus", "jobStatus", "summary", "allDestinations" };
    for (std::size_t i = 0; i < reads.size(); ++i) {
        const double ms = median(reads[i]);
        std::printf(
            "  read %-22s %8.4f ms  %s\n", names[i], ms, ms < readBudgetMs ? "under 1 ms" : "OVER 1 ms");
    }
    return 0;
}
