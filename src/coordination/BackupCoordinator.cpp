#include "coordination/BackupCoordinator.h"

#include "coordination/FolderKey.h"
#include "coordination/RestoreCoordinator.h"
#include "coordination/RunPhaseGroups.h"
#include "google/GoogleAuthManager.h"
#include "model/ConfigurationStore.h"
#include "platform/WhenFinished.h"

#include <algorithm>

// Admission, the queue, the controls and shutdown. A run's own road is in BackupCoordinatorRun.cpp, its
// endings in BackupCoordinatorEndings.cpp.

namespace mv {

namespace {

using namespace std::chrono_literals;

// How long shutdown waits for the runs it stopped: a transfer kills a child that ignores SIGTERM after
// 4 s, so this leaves room for that and for the last output to be read.
constexpr auto transferStopBound = 8s;

} // namespace

BackupCoordinator::BackupCoordinator(ConfigurationStore& store, HistoryRepository& history,
    NotificationService& notifications, GoogleDriveServices drive, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_history(history)
    , m_notifications(notifications)
    , m_drive(std::move(drive))
    , m_clock(clock)
    , m_restores(new RestoreCoordinator(store, history, notifications, clock, this))
{
    connect(m_restores, &RestoreCoordinator::issueRaised, this, &BackupCoordinator::setIssue);
    connect(m_restores, &RestoreCoordinator::restoreRecorded, this, &BackupCoordinator::noteEnded);
}

BackupCoordinator::~BackupCoordinator()
{
    m_shutDown = true;
    for (Run& run : m_runs) {
        if (run.ticket) {
            run.ticket->abandoned = true;
            run.ticket->cancelled = true;
            run.ticket->wake();
        }
        if (RunControlling* control = run.control())
            control->cancel();
        if (run.removal)
            run.removal->cancel();
    }
}

QList<ActiveRun> BackupCoordinator::runs() const
{
    QList<ActiveRun> entries;
    for (const Run& run : m_runs)
        entries.append(run.entry);
    return entries;
}

std::optional<ActiveRun> BackupCoordinator::run(const RunKey& key) const
{
    const auto it = m_runs.constFind(key);
    return it == m_runs.cend() ? std::nullopt : std::optional(it->entry);
}

QList<ActiveRun> BackupCoordinator::activeRuns() const
{
    QList<ActiveRun> live;
    for (const Run& run : m_runs) {
        if (isLive(run.entry.progress.phase))
            live.append(run.entry);
    }
    std::stable_sort(live.begin(), live.end(),
        [](const ActiveRun& a, const ActiveRun& b) { return a.progress.startedAt < b.progress.startedAt; });
    return live;
}

int BackupCoordinator::activeCount() const
{
    return int(std::count_if(
        m_runs.begin(), m_runs.end(), [](const Run& run) { return isActive(run.entry.progress.phase); }));
}

void BackupCoordinator::setIssue(std::optional<CoordinatorIssue> issue)
{
    m_issue = std::move(issue);
    Q_EMIT issueChanged();
}

void BackupCoordinator::enqueue(const BackupJob& job, const BackupDestination& destination,
    RunTrigger trigger, bool confirmedMirror, std::shared_ptr<const GoogleDrivePlan> confirmedPlan)
{
    if (m_shutDown)
        return;
    if (!job.isEnabled || !destination.isEnabled) {
        setIssue(CoordinatorIssue::turnedOff(job.name));
        return;
    }
    const RunKey key { job.id, destination.id };
    const auto existing = m_runs.find(key);
    if (existing != m_runs.end() && isLive(existing->entry.progress.phase))
        return;
    const QString folder = folderOf(destination);
    if (const auto other = liveWriter(folder, key, false)) {
        setIssue(CoordinatorIssue::busy(other->jobName, other->destinationPath));
        return;
    }
    // A run of this key waiting for its retry goes on now: one run, one transfer at a time per key.
    if (existing != m_runs.end() && existing->ticket) {
        existing->ticket->confirmedMirror = existing->ticket->confirmedMirror || confirmedMirror;
        if (confirmedPlan)
            existing->ticket->confirmedPlan = std::move(confirmedPlan);
        existing->ticket->wake();
        return;
    }

    QueuedRun item { job, destination, trigger, confirmedMirror, std::move(confirmedPlan),
        destination.lastResult };
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

void BackupCoordinator::holdStartsUntil(QFuture<void> ready)
{
    ++m_startHolds;
    whenFinished(ready, this, [this](const QFuture<void>&) {
        --m_startHolds;
        pump();
    });
}

// A Drive folder is the signed-in account's: that is the account a run plans with.
QString BackupCoordinator::folderOf(const BackupDestination& destination) const
{
    return folderKey(destination, m_drive.auth.account());
}

std::optional<ActiveRun> BackupCoordinator::liveWriter(
    const QString& folder, const RunKey& except, bool activeOnly) const
{
    for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
        const RunPhase phase = it->entry.progress.phase;
        if (it.key() == except || !(activeOnly ? isActive(phase) : isLive(phase)))
            continue;
        if (it->folder == folder)
            return it->entry;
    }
    return std::nullopt;
}

void BackupCoordinator::pump()
{
    if (m_shutDown || m_startHolds > 0)
        return;
    resumeRetriesWaitingForFolders();
    for (;;) {
        const qint64 limit = std::clamp<qint64>(settings().maxConcurrentJobs, 1, 4);
        if (activeCount() >= limit)
            return;
        const auto chosen = std::find_if(m_queue.begin(), m_queue.end(), [this](const QueuedRun& queued) {
            return !liveWriter(folderOf(queued.destination), RunKey {}, true);
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
    QList<RunKey> freed;
    for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
        if (it->ticket && it->ticket->waitingForFolder && !liveWriter(it->folder, it.key(), true))
            freed.append(it.key());
    }
    for (const RunKey& key : freed) {
        const Run run = m_runs.value(key);
        run.ticket->waitingForFolder = false;
        setProgress(key, RunPhase::preparing, run.preparingMessage());
        run.ticket->wake();
    }
}

void BackupCoordinator::putEntry(const QueuedRun& item, RunPhase phase, const QString& message)
{
    const RunKey key { item.job.id, item.destination.id };
    RunProgress progress;
    progress.phase = phase;
    progress.startedAt = m_clock.now();
    progress.message = message;
    const bool added = !m_runs.contains(key);
    Run& run = m_runs[key];
    if (run.removal)
        run.removal->cancel();
    run = Run {};
    run.entry = ActiveRun { key, item.job.name, item.destination.name, item.job.source.path,
        item.destination.displayPath(), progress };
    run.folder = folderOf(item.destination);
    run.toDrive = item.destination.kind == DestinationKind::googleDrive;
    if (added)
        Q_EMIT runAdded(key);
    else
        Q_EMIT runChanged(key);
}

void BackupCoordinator::removeEntry(const RunKey& key)
{
    if (m_runs.remove(key))
        Q_EMIT runRemoved(key);
}

void BackupCoordinator::setProgress(const RunKey& key, RunPhase phase, std::optional<QString> message)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end())
        return;
    it->entry.progress.phase = phase;
    it->entry.progress.message = std::move(message);
    Q_EMIT runChanged(key);
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
    const RunPhase phase = it->entry.progress.phase;
    if (phase == RunPhase::running || phase == RunPhase::preparing)
        pause(jobID, destinationID);
    else if (phase == RunPhase::paused)
        resume(jobID, destinationID);
}

// A running or preparing run is paused; one being cancelled must stay free to end. A pause before the
// transfer has started is kept by the ticket and by the transfer, which starts stopped.
void BackupCoordinator::pause(const QUuid& jobID, const QUuid& destinationID)
{
    const RunKey key { jobID, destinationID };
    const auto it = m_runs.find(key);
    if (it == m_runs.end() || !it->ticket || it->ticket->paused)
        return;
    const RunPhase phase = it->entry.progress.phase;
    if (phase != RunPhase::running && phase != RunPhase::preparing)
        return;
    if (RunControlling* control = it->control(); control && !control->pause())
        return;
    it->ticket->paused = true;
    setProgress(key, RunPhase::paused, QStringLiteral("Paused"));
}

void BackupCoordinator::resume(const QUuid& jobID, const QUuid& destinationID)
{
    const RunKey key { jobID, destinationID };
    const auto it = m_runs.find(key);
    if (it == m_runs.end() || !it->ticket || it->entry.progress.phase != RunPhase::paused)
        return;
    if (RunControlling* control = it->control(); control && !control->resume())
        return;
    it->ticket->paused = false;
    if (it->transferStarted)
        setProgress(key, RunPhase::running, std::nullopt);
    else
        setProgress(key, RunPhase::preparing, it->preparingMessage());
}

void BackupCoordinator::cancel(const QUuid& jobID, const QUuid& destinationID)
{
    const RunKey key { jobID, destinationID };
    const auto it = m_runs.find(key);
    if (it == m_runs.end())
        return;
    if (it->entry.progress.phase == RunPhase::queued) {
        const auto sameKey = [&](const QueuedRun& queued) {
            return queued.job.id == jobID && queued.destination.id == destinationID;
        };
        const auto first = std::find_if(m_queue.cbegin(), m_queue.cend(), sameKey);
        const std::optional<RunResult> previous
            = first != m_queue.cend() ? first->previousResult : std::nullopt;
        m_queue.removeIf(sameKey);
        removeEntry(key);
        m_store.updateDestination(
            jobID, destinationID, [previous](BackupDestination& d) { d.lastResult = previous; });
        return;
    }
    // Only a started run has something to stop; the entry of a run that already ended stays as it is.
    const auto ticket = it->ticket;
    if (!ticket)
        return;
    ticket->cancelled = true;
    const std::shared_ptr<RunControlling> transfer = it->transfer;
    setProgress(key, RunPhase::cancelling, QStringLiteral("Stopping safely"));
    if (transfer)
        transfer->cancel();
    ticket->wake();
}

QCoro::Task<> BackupCoordinator::shutdown()
{
    const QPointer<BackupCoordinator> self(this);
    if (!m_shutDown) {
        // Queued runs are dropped first, so no ending below can start one.
        for (const QueuedRun& queued : std::as_const(m_queue))
            cancel(queued.job.id, queued.destination.id);
        m_shutDown = true;
        for (const RunKey& key : m_runs.keys()) {
            if (m_runs.value(key).ticket)
                cancel(key.jobID, key.destinationID);
        }
        m_restores->shutDown();
        m_restores->cancelRestore();
    }
    if (anythingRunning()) {
        Sleep bound(m_clock, transferStopBound);
        m_shutdownWaits.append(&bound);
        auto waiting = bound.wait();
        co_await waiting;
        if (!self)
            co_return;
        m_shutdownWaits.removeAll(&bound);
    }
    // What has not ended within the bound stops where it stands; its row is marked at the next start.
    for (Run& run : m_runs) {
        if (run.ticket)
            run.ticket->abandoned = true;
    }
}

QString BackupCoordinator::Run::preparingMessage() const
{
    return toDrive ? QStringLiteral("Finding files to back up") : QStringLiteral("Checking folders");
}

bool BackupCoordinator::anythingRunning() const
{
    return m_restores->isRunning()
        || std::any_of(m_runs.cbegin(), m_runs.cend(), [](const Run& run) { return bool(run.ticket); });
}

void BackupCoordinator::noteEnded()
{
    if (m_shutdownWaits.isEmpty() || anythingRunning())
        return;
    // A copy: each wake resumes its shutdown, which takes its wait off the list.
    const QList<QPointer<Sleep>> waits = m_shutdownWaits;
    for (const auto& wait : waits) {
        if (wait)
            wait->wake();
    }
}

} // namespace mv
