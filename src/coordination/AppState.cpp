#include "coordination/AppState.h"

#include "coordination/WakeResponse.h"
#include "engine/RunningTransfers.h"
#include "model/ConfigurationStore.h"
#include "model/DemoSeeder.h"
#include "model/EffectiveValues.h"
#include "model/Format.h"
#include "model/LogMaintenance.h"
#include "model/ValueBounds.h"
#include "platform/WhenFinished.h"
#include "platform/WorkerPool.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaMethod>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

namespace mv {

namespace {

const QString historyFileName = QStringLiteral("history.sqlite");
const QString googleResumeFileName = QStringLiteral("google-resume.json");

} // namespace

AppState::AppState(ConfigurationStore& store, const AppEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(environment.clock)
    , m_fileManager(environment.fileManager)
    , m_history(std::make_unique<HistoryRepository>(
          QDir(store.supportFolder()).filePath(historyFileName), environment.clock))
    , m_notifications(environment.sessionBus)
    , m_googleCredentials(environment.secrets)
    , m_googleAuth(store, m_googleCredentials, m_network, environment.urlOpener, environment.googleEndpoints,
          environment.clock, environment.log)
    , m_driveConnection { &m_network, environment.googleEndpoints.driveApiBase, {},
        environment.googleEndpoints.uploadBase }
    , m_log(environment.log)
    , m_googleResume(
          QDir(store.supportFolder()).filePath(googleResumeFileName), environment.clock, environment.log)
    , m_coordinator(store, *m_history, m_notifications,
          GoogleDriveServices { m_googleAuth, m_googleCredentials, m_driveConnection, m_log, m_googleResume },
          environment.clock)
    , m_monitor(store, environment.clock)
    , m_scheduler(store, environment.clock)
    , m_wakeWatcher(environment.systemBus, environment.clock)
    , m_historyFeed(*m_history, environment.fileManager)
    , m_requests(store, m_notifications, environment.fileManager, environment.clock)
    , m_jobActions(store, m_coordinator, m_monitor, m_historyFeed,
          GoogleDriveServices { m_googleAuth, m_googleCredentials, m_driveConnection, m_log, m_googleResume },
          environment.clock)
{
    if (environment.demo)
        environment.demo->seedHistoryIfNeeded(*m_history);

    // What the store found at load is told first; every failed save after it is told as well.
    if (m_store.loadError())
        tellStorageProblem(*m_store.loadError());
    connect(&m_store, &ConfigurationStore::loadErrorChanged, this, [this] {
        if (m_store.loadError())
            tellStorageProblem(*m_store.loadError());
    });
    // Told on the main thread once the file's check ended, and after every write that failed.
    connect(m_history.get(), &HistoryRepository::storageWarningChanged, this, [this] {
        if (const QString warning = m_history->storageWarning(); !warning.isEmpty())
            tellStorageProblem(warning);
    });

    // An export the history could not write is told in the banner.
    connect(&m_historyFeed, &HistoryFeed::failed, &m_requests, &ProgramRequests::setBanner);

    installCallbacks();
    respondToWake(m_wakeWatcher, m_scheduler, m_monitor, m_clock);
    applyMaintenance();
}

AppState::~AppState()
{
    // Only when finishBackgroundWork() was not awaited (tests): the pruning reads the clock, which may go
    // right after this object.
    m_maintenance.waitForFinished();
}

QCoro::Task<> AppState::finishBackgroundWork()
{
    const QPointer<AppState> self(this);
    QFuture<void> stopping = m_leftoverStop;
    co_await stopping;
    if (!self)
        co_return;
    QFuture<void> pruning = m_maintenance;
    co_await pruning;
    if (!self)
        co_return;
    QFuture<void> draining = m_history->drain();
    co_await draining;
}

QCoro::Task<bool> AppState::saveAndShutDown()
{
    QPointer<AppState> alive(this);
    // A copy of the implicitly shared jobs, not a deep one.
    const AppConfiguration saved = m_store.config();
    bool written = m_store.saveNow();
    QCoro::Task<> shutdown = m_coordinator.shutdown();
    co_await shutdown;
    // The runs' endings wrote their destinations' results after that save; a debounced save would be lost
    // with the process. Writing an unchanged document again would only hold the ending of a large one.
    if (!alive)
        co_return false;
    if (!written || m_store.config() != saved)
        written = m_store.saveNow();
    // The endings' history rows, the launch's pruning and its stopping of leftovers end here, while the
    // event loop still turns, and not in the destructors after it.
    QCoro::Task<> finishing = finishBackgroundWork();
    co_await finishing;
    co_return written;
}

void AppState::installCallbacks()
{
    // The services live inside this object, so a callback can never outlive it.
    connect(&m_coordinator, &BackupCoordinator::runFinished, this, [this](const RunKey& key) {
        m_scheduler.reschedule(key.jobID, key.destinationID, m_clock.now());
        m_historyFeed.refresh();
    });

    m_scheduler.onRunDue = [this](const QUuid& jobID, const QUuid& destinationID, RunTrigger trigger) {
        const std::optional<BackupJob> job = m_store.job(jobID);
        if (!job)
            return;
        for (const BackupDestination& destination : job->destinations) {
            if (destination.id == destinationID) {
                m_coordinator.enqueue(*job, destination, trigger, false);
                return;
            }
        }
    };
    m_scheduler.onMissed = [this](const BackupJob& job, const BackupDestination& destination,
                               const QDateTime& due) { recordMissed(job, destination, due); };

    m_monitor.onBecameAvailable = [this](const QUuid& jobID, const QUuid& destinationID) {
        const std::optional<BackupJob> job = m_store.job(jobID);
        if (!job || !job->isEnabled)
            return;
        const auto destination = std::find_if(job->destinations.cbegin(), job->destinations.cend(),
            [&](const BackupDestination& candidate) { return candidate.id == destinationID; });
        if (destination == job->destinations.cend() || !destination->isEnabled
            || effectiveSchedule(*job, *destination).kind != ScheduleKind::onMount)
            return;
        m_coordinator.enqueue(*job, *destination, RunTrigger::onMount, false);
    };
    m_monitor.onWentOffline
        = [this](const BackupJob& job, const BackupDestination& destination, const QString& reason) {
              if (!m_store.config().settings.notifyOffline)
                  return;
              m_notifications.post(job.name + QStringLiteral(" is waiting"), reason,
                  QStringLiteral("offline-") + job.name + u'-' + destination.name);
          };
}

// What a previous process left running is over: its transfers still writing are stopped and its
// destinations read interrupted, and the configuration is written at once so a second crash cannot bring
// "running" back. With nothing to repair the write waits for start(), after the tray icon is up. The history
// marks its own rows as it opens the file, off the main thread; asking it here would hold the launch until
// its whole-file check ends.
void AppState::applyMaintenance()
{
    // A leftover deaf to SIGTERM takes seconds to stop: on a worker, with every run held until it is gone,
    // so that no two writers share a folder. Its problems reach the banner before any run starts.
    QPointer<AppState> self(this);
    m_leftoverStop = QtConcurrent::run(&WorkerPool::instance(), [self, folder = m_store.supportFolder()] {
        const RunningTransfers::LeftoverStop stopped = RunningTransfers::stopLeftovers(folder);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, problems = stopped.problems] {
                if (!self)
                    return;
                for (const QString& problem : problems)
                    self->tellStorageProblem(problem);
            },
            Qt::QueuedConnection);
    });
    m_coordinator.holdStartsUntil(m_leftoverStop);
    bool repaired = false;
    for (const BackupJob& job : m_store.config().jobs) {
        for (const BackupDestination& destination : job.destinations) {
            if (destination.lastResult == RunResult::running) {
                m_store.updateDestination(job.id, destination.id,
                    [](BackupDestination& changed) { changed.lastResult = RunResult::interrupted; });
                repaired = true;
            }
        }
    }
    if (repaired)
        m_store.saveNow();
}

void AppState::start()
{
    if (std::exchange(m_started, true))
        return;
    // The configuration as loaded, a first run's defaults included, is on disk before the scheduler starts.
    m_store.saveNow();
    m_notifications.prepare();
    m_requests.applyAppearance();
    m_historyFeed.refresh();
    // The history deletes by age on its own thread, the logs are pruned on a worker, then the lists reload.
    const int days = int(std::clamp(m_store.config().settings.historyRetentionDays,
        ValueBounds::historyRetentionDays.minimum, ValueBounds::historyRetentionDays.maximum));
    m_history->deleteOlderThan(days);
    QPointer<AppState> self(this);
    Clock* clock = &m_clock;
    m_maintenance = QtConcurrent::run(&WorkerPool::instance(), [self, clock, days] {
        // One setting bounds both the run records and their log files.
        LogMaintenance::prune(days, *clock);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self)
                    self->m_historyFeed.refresh();
            },
            Qt::QueuedConnection);
    });
    m_scheduler.start();
    m_monitor.start();
}

ViewSources AppState::viewSources()
{
    return { m_store, m_clock, m_coordinator, m_monitor, m_googleAuth, m_googleCredentials, m_historyFeed,
        m_jobActions, m_requests, m_coordinator.restores() };
}

void AppState::tellStorageProblem(const QString& message)
{
    m_requests.tellProblem(message);
}

void AppState::recordMissed(const BackupJob& job, const BackupDestination& destination, const QDateTime& date)
{
    BackupRunRecord record = BackupRunRecord::of(job, destination, RunTrigger::schedule, date);
    record.endedAt = m_clock.now();
    record.result = RunResult::missed;
    record.errorSummary = QStringLiteral("The scheduled run at ") + Format::mediumDateTime(date)
        + QStringLiteral(" was missed while the computer was asleep or Marrowvale was not running.");
    m_history->begin(record);
    if (m_store.config().settings.notifyMissed)
        m_notifications.missed(job.name, destination.name, date);
    m_historyFeed.refresh();
}

} // namespace mv
