#include "coordination/BackupCoordinator.h"

#include "coordination/FolderKey.h"
#include "coordination/RunPhaseGroups.h"
#include "engine/RsyncProcessController.h"
#include "engine/RunControlling.h"
#include "model/ConfigurationStore.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

// Admission, the queue, the controls and shutdown. A run's own road is in BackupCoordinatorRun.cpp, its
// endings in BackupCoordinatorEndings.cpp.

namespace mv {

namespace {

using namespace std::chrono_literals;

// How long shutdown waits for stopped transfers: the controller kills a child that ignores SIGTERM after
// 4 s, so this leaves room for that and for the last output to be read.
constexpr auto transferStopBound = 8s;

} // namespace

BackupCoordinator::BackupCoordinator(ConfigurationStore& store, HistoryRepository& history,
    NotificationService& notifications, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_history(history)
    , m_notifications(notifications)
    , m_clock(clock)
{
}

BackupCoordinator::~BackupCoordinator()
{
    shutdown();
    for (const auto& alarm : std::as_const(m_removals))
        alarm->cancel();
}

QList<ActiveRun> BackupCoordinator::activeRuns() const
{
    QList<ActiveRun> live;
    for (const ActiveRun& run : m_runs) {
        if (isLive(run.progress.phase))
            live.append(run);
    }
    std::stable_sort(live.begin(), live.end(),
        [](const ActiveRun& a, const ActiveRun& b) { return a.progress.startedAt < b.progress.startedAt; });
    return live;
}

int BackupCoordinator::activeCount() const
{
    return int(std::count_if(
        m_runs.begin(), m_runs.end(), [](const ActiveRun& run) { return isActive(run.progress.phase); }));
}

void BackupCoordinator::setIssue(std::optional<CoordinatorIssue> issue)
{
    m_issue = std::move(issue);
    Q_EMIT changed();
}

void BackupCoordinator::enqueue(
    const BackupJob& job, const BackupDestination& destination, RunTrigger trigger, bool confirmedMirror)
{
    if (m_shutDown)
        return;
    if (!job.isEnabled || !destination.isEnabled) {
        setIssue(CoordinatorIssue::turnedOff(job.name));
        return;
    }
    const RunKey key { job.id, destination.id };
    const auto existing = m_runs.constFind(key);
    if (existing != m_runs.cend() && isLive(existing->progress.phase))
        return;
    const QString folder = folderKey(destination);
    if (const auto other = liveWriter(folder, key, false)) {
        setIssue(CoordinatorIssue::busy(other->jobName, other->destinationPath));
        return;
    }
    // A run of this key waiting for its retry goes on now: one run, one transfer at a time per key.
    if (const auto ticket = m_tickets.value(key); ticket && existing != m_runs.cend()) {
        ticket->confirmedMirror = ticket->confirmedMirror || confirmedMirror;
        ticket->wake();
        return;
    }
    if (const auto removal = m_removals.take(key))
        removal->cancel();

    QueuedRun item { job, destination, trigger, confirmedMirror, destination.lastResult };
    putEntry(item, RunPhase::queued, QStringLiteral("Waiting for a free slot"));
    m_queue.append(item);
    m_store.updateDestination(
        job.id, destination.id, [](BackupDestination& d) { d.lastResult = RunResult::running; });
    pump();
}

void BackupCoordinator::runAll(RunTrigger trigger)
{
    const QList<BackupJob> jobs = m_store.config().jobs;
    for (const BackupJob& job : jobs) {
        if (!job.isEnabled)
            continue;
        for (const BackupDestination& destination : job.destinations) {
            if (destination.isEnabled)
                enqueue(job, destination, trigger, false);
        }
    }
}

std::optional<ActiveRun> BackupCoordinator::liveWriter(
    const QString& folder, const RunKey& except, bool activeOnly) const
{
    for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
        const RunPhase phase = it->progress.phase;
        if (it.key() == except || !(activeOnly ? isActive(phase) : isLive(phase)))
            continue;
        if (m_folders.value(it.key()) == folder)
            return *it;
    }
    return std::nullopt;
}

void BackupCoordinator::pump()
{
    if (m_shutDown)
        return;
    resumeRetriesWaitingForFolders();
    for (;;) {
        const qint64 limit = std::clamp<qint64>(settings().maxConcurrentJobs, 1, 4);
        if (activeCount() >= limit)
            return;
        const auto chosen = std::find_if(m_queue.begin(), m_queue.end(), [this](const QueuedRun& queued) {
            return !liveWriter(folderKey(queued.destination), RunKey {}, true);
        });
        if (chosen == m_queue.end())
            return;
        QueuedRun item = *chosen;
        m_queue.erase(chosen);
        begin(std::move(item));
    }
}

// A retry held back by another run's writing goes on as soon as that folder is free, before any queued
// run can take the folder. Its entry turns `preparing` here, so the folder is busy again at once.
void BackupCoordinator::resumeRetriesWaitingForFolders()
{
    QList<std::shared_ptr<RunTicket>> freed;
    for (auto it = m_tickets.cbegin(); it != m_tickets.cend(); ++it) {
        const auto& ticket = it.value();
        if (!ticket->waitingForFolder || liveWriter(ticket->folder, it.key(), true))
            continue;
        ticket->waitingForFolder = false;
        setProgress(it.key(), RunPhase::preparing, QStringLiteral("Checking folders"));
        freed.append(ticket);
    }
    for (const auto& ticket : freed)
        ticket->wake();
}

void BackupCoordinator::putEntry(const QueuedRun& item, RunPhase phase, const QString& message)
{
    const RunKey key { item.job.id, item.destination.id };
    RunProgress progress;
    progress.phase = phase;
    progress.startedAt = m_clock.now();
    progress.message = message;
    m_runs.insert(key,
        ActiveRun { key, item.job.name, item.destination.name, item.job.source.path,
            item.destination.displayPath(), progress });
    m_folders.insert(key, folderKey(item.destination));
    Q_EMIT changed();
}

void BackupCoordinator::setProgress(const RunKey& key, RunPhase phase, std::optional<QString> message)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end())
        return;
    it->progress.phase = phase;
    it->progress.message = std::move(message);
    Q_EMIT changed();
}

const AppSettings& BackupCoordinator::settings() const
{
    return m_store.config().settings;
}

void BackupCoordinator::pauseAll()
{
    const QList<RunKey> keys = m_runs.keys();
    for (const RunKey& key : keys)
        pause(key.jobID, key.destinationID);
}

void BackupCoordinator::togglePause(const QUuid& jobID, const QUuid& destinationID)
{
    const auto it = m_runs.constFind(RunKey { jobID, destinationID });
    if (it == m_runs.cend())
        return;
    if (it->progress.phase == RunPhase::running)
        pause(jobID, destinationID);
    else if (it->progress.phase == RunPhase::paused)
        resume(jobID, destinationID);
}

// Only a running transfer is paused: a transfer being cancelled must stay free to end.
void BackupCoordinator::pause(const QUuid& jobID, const QUuid& destinationID)
{
    const RunKey key { jobID, destinationID };
    if (const auto controller = controllerIn(key, RunPhase::running); controller && controller->pause())
        setProgress(key, RunPhase::paused, QStringLiteral("Paused"));
}

void BackupCoordinator::resume(const QUuid& jobID, const QUuid& destinationID)
{
    const RunKey key { jobID, destinationID };
    if (const auto controller = controllerIn(key, RunPhase::paused); controller && controller->resume())
        setProgress(key, RunPhase::running, std::nullopt);
}

std::shared_ptr<RunControlling> BackupCoordinator::controllerIn(const RunKey& key, RunPhase phase) const
{
    const auto it = m_runs.constFind(key);
    return it != m_runs.cend() && it->progress.phase == phase ? m_controllers.value(key) : nullptr;
}

void BackupCoordinator::cancel(const QUuid& jobID, const QUuid& destinationID)
{
    const RunKey key { jobID, destinationID };
    const auto entry = m_runs.constFind(key);
    if (entry != m_runs.cend() && entry->progress.phase == RunPhase::queued) {
        const auto sameKey = [&](const QueuedRun& queued) {
            return queued.job.id == jobID && queued.destination.id == destinationID;
        };
        const auto first = std::find_if(m_queue.cbegin(), m_queue.cend(), sameKey);
        const std::optional<RunResult> previous
            = first != m_queue.cend() ? first->previousResult : std::nullopt;
        m_queue.removeIf(sameKey);
        m_runs.remove(key);
        m_folders.remove(key);
        m_store.updateDestination(
            jobID, destinationID, [previous](BackupDestination& d) { d.lastResult = previous; });
        Q_EMIT changed();
        return;
    }
    // Only a started run has something to stop; the entry of a run that already ended stays as it is.
    const auto ticket = m_tickets.value(key);
    if (!ticket)
        return;
    ticket->cancelled = true;
    setProgress(key, RunPhase::cancelling, QStringLiteral("Stopping safely"));
    if (const auto controller = m_controllers.value(key))
        controller->cancel();
    ticket->wake();
}

void BackupCoordinator::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    for (const auto& ticket : std::as_const(m_tickets)) {
        ticket->abandoned = true;
        ticket->cancelled = true;
        ticket->wake();
    }
    for (const auto& controller : std::as_const(m_controllers))
        controller->cancel();
    if (m_restoreTicket)
        m_restoreTicket->cancelled = true;
    if (m_restoreController)
        m_restoreController->cancel();
    m_queue.clear();
    waitForTransfersToEnd();
}

// The process may end right after shutdown, and a child left behind would go on writing: wait until every
// stopped transfer has reported back (its controller kills a child that ignores SIGTERM), within a bound.
void BackupCoordinator::waitForTransfersToEnd()
{
    if (!transfersRunning())
        return;
    QEventLoop loop;
    QTimer::singleShot(transferStopBound, &loop, &QEventLoop::quit);
    m_stopWait = &loop;
    loop.exec();
    m_stopWait = nullptr;
}

bool BackupCoordinator::transfersRunning() const
{
    return !m_controllers.isEmpty() || m_restoreController;
}

void BackupCoordinator::noteTransferEnded()
{
    if (m_stopWait && !transfersRunning())
        m_stopWait->quit();
}

} // namespace mv
