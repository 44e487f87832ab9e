#include "coordination/JobActions.h"

#include "coordination/BackupCoordinator.h"
#include "coordination/CoordinationLog.h"
#include "coordination/DestinationMonitor.h"
#include "coordination/HistoryFeed.h"
#include "drive/DrivePreview.h"
#include "drive/RunPlanning.h"
#include "engine/MirrorPreviewService.h"
#include "engine/PreflightService.h"
#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"
#include "model/KeychainService.h"
#include "model/UuidText.h"
#include "platform/Clock.h"
#include "platform/WorkerPool.h"

#include <QPointer>
#include <QTimeZone>
#include <QtConcurrent/QtConcurrentRun>

namespace mv {

namespace {

// Clears the mirror-check flag however the request ends: a result, an exception, or the coroutine
// destroyed at shutdown.
class MirrorCheck {
public:
    explicit MirrorCheck(std::function<void(bool)> set)
        : m_set(std::move(set))
    {
        m_set(true);
    }
    ~MirrorCheck() { m_set(false); }
    MirrorCheck(const MirrorCheck&) = delete;
    MirrorCheck& operator=(const MirrorCheck&) = delete;

private:
    std::function<void(bool)> m_set;
};

} // namespace

JobActions::JobActions(ConfigurationStore& store, BackupCoordinator& coordinator, DestinationMonitor& monitor,
    HistoryFeed& history, GoogleDriveServices drive, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_coordinator(coordinator)
    , m_monitor(monitor)
    , m_history(history)
    , m_drive(drive)
    , m_clock(clock)
{
    connect(&m_coordinator, &BackupCoordinator::issueChanged, this, &JobActions::issueChanged);
}

QCoro::Task<> JobActions::runJob(BackupJob job)
{
    QPointer<JobActions> self(this);
    for (const BackupDestination& destination : job.destinations) {
        if (!destination.isEnabled)
            continue;
        auto request = requestRun(job, destination);
        co_await request;
        if (!self)
            co_return;
    }
}

QCoro::Task<> JobActions::requestRun(BackupJob job, BackupDestination destination)
{
    // One preview at a time: while one runs, every request is dropped, whatever its mode.
    if (m_mirrorCheckInProgress)
        co_return;
    if (effectiveMode(job, destination) != BackupMode::mirror) {
        m_coordinator.enqueue(job, destination, RunTrigger::manual, false);
        co_return;
    }
    QPointer<JobActions> self(this);
    const MirrorCheck check([self](bool inProgress) {
        if (self)
            self->setMirrorCheckInProgress(inProgress);
    });
    auto confirming = mirrorConfirmation(job, destination);
    const std::expected<Confirmation, CoordinatorIssue> confirmation = co_await confirming;
    if (!self)
        co_return;
    if (!confirmation) {
        m_coordinator.setIssue(confirmation.error());
    } else if (confirmation->preview.totalDeletions != 0) {
        setMirrorPrompt(MirrorPrompt {
            QUuid::createUuid(), job, destination, confirmation->preview, confirmation->drivePlan });
    } else {
        m_coordinator.enqueue(job, destination, RunTrigger::manual, true, confirmation->drivePlan);
    }
}

QCoro::Task<std::expected<JobActions::Confirmation, CoordinatorIssue>> JobActions::driveMirrorConfirmation(
    BackupJob job, BackupDestination destination)
{
    auto planning = GoogleDriveEngine::makePlan(job, destination,
        GoogleDriveEngine::PlanningServices {
            m_drive.auth, m_drive.credentials, m_drive.connection, m_drive.log });
    QPointer<JobActions> self(this);
    const std::expected<GoogleDrivePlan, PreflightFailure> plan = co_await planning;
    if (!plan)
        co_return std::unexpected(CoordinatorIssue::from(plan.error()));
    if (!self)
        co_return std::unexpected(CoordinatorIssue {}); // gone at quit: nobody reads it
    auto previewing = GoogleDriveEngine::preview(*plan, m_drive.connection);
    const std::expected<GoogleDrivePreview, PreflightFailure> preview = co_await previewing;
    if (!preview)
        co_return std::unexpected(CoordinatorIssue::from(preview.error()));
    co_return Confirmation { MirrorPreview { preview->deletions, preview->totalDeletions },
        std::make_shared<const GoogleDrivePlan>(*plan) };
}

QCoro::Task<std::expected<JobActions::Confirmation, CoordinatorIssue>> JobActions::mirrorConfirmation(
    BackupJob job, BackupDestination destination)
{
    if (destination.kind == DestinationKind::googleDrive) {
        auto confirming = driveMirrorConfirmation(std::move(job), std::move(destination));
        co_return co_await confirming;
    }
    const AppSettings settings = m_store.config().settings;
    auto checking = PreflightService::check(job, destination, settings, m_clock.now());
    const std::expected<RunPlan, PreflightFailure> plan = co_await checking;
    if (!plan)
        co_return std::unexpected(CoordinatorIssue::from(plan.error()));
    auto previewing = MirrorPreviewService::preview(*plan);
    const std::expected<MirrorPreview, PreflightFailure> preview = co_await previewing;
    if (!preview) {
        // A dry run that failed will not pass by waiting: the user has to look at it.
        CoordinatorIssue issue = CoordinatorIssue::from(preview.error());
        issue.isTemporary = false;
        co_return std::unexpected(issue);
    }
    co_return Confirmation { *preview, nullptr };
}

void JobActions::confirmMirrorRun()
{
    if (!m_mirrorPrompt)
        return;
    const MirrorPrompt prompt = *std::exchange(m_mirrorPrompt, std::nullopt);
    Q_EMIT mirrorPromptChanged();
    m_coordinator.enqueue(prompt.job, prompt.destination, RunTrigger::manual, true, prompt.drivePlan);
}

void JobActions::setMirrorPrompt(std::optional<MirrorPrompt> prompt)
{
    if (prompt == m_mirrorPrompt)
        return;
    m_mirrorPrompt = std::move(prompt);
    Q_EMIT mirrorPromptChanged();
}

void JobActions::setMirrorCheckInProgress(bool inProgress)
{
    if (inProgress == m_mirrorCheckInProgress)
        return;
    m_mirrorCheckInProgress = inProgress;
    Q_EMIT mirrorCheckInProgressChanged();
}

void JobActions::deleteJob(const BackupJob& job)
{
    for (const BackupDestination& destination : job.destinations)
        m_coordinator.cancel(job.id, destination.id);
    m_store.deleteJob(job.id);
    // One keyring call a destination, each of which may wait for the Secret Service: never on this thread.
    QList<QUuid> destinations;
    for (const BackupDestination& destination : job.destinations)
        destinations.append(destination.id);
    m_passphraseRemoval = QtConcurrent::run(&WorkerPool::instance(), [destinations] {
        for (const QUuid& id : destinations) {
            // A passphrase left behind would outlive its destination unseen: say so where it can be found.
            if (!KeychainService::deletePassphrase(id))
                qCWarning(coordinationLog).noquote()
                    << "The SSH passphrase of" << uuidText(id) << "could not be removed from the keyring";
        }
    });
    m_history.refresh();
}

void JobActions::toggleJob(const BackupJob& job)
{
    std::optional<BackupJob> stored = m_store.job(job.id);
    if (!stored)
        return;
    stored->isEnabled = !stored->isEnabled;
    m_store.replaceJob(*stored);
    // Turned off, a job keeps its destinations' next runs; turned on, they are due from now.
    if (!job.isEnabled)
        scheduleNextRuns(job);
}

void JobActions::duplicateJob(const BackupJob& job)
{
    if (const std::optional<BackupJob> copy = m_store.duplicateJob(job.id))
        scheduleNextRuns(*copy);
}

void JobActions::scheduleNextRuns(const BackupJob& job)
{
    const QDateTime now = m_clock.now();
    for (const BackupDestination& destination : job.destinations) {
        const BackupSchedule& schedule = effectiveSchedule(job, destination);
        if (schedule.kind == ScheduleKind::manual)
            continue;
        const std::optional<QDateTime> next = schedule.nextRun(now, QTimeZone::systemTimeZone());
        m_store.updateDestination(
            job.id, destination.id, [&next](BackupDestination& changed) { changed.nextRun = next; });
    }
}

void JobActions::runAll()
{
    m_coordinator.runAll(RunTrigger::manual);
}

void JobActions::pauseAll()
{
    m_coordinator.pauseAll();
}

void JobActions::togglePause(const RunKey& key)
{
    m_coordinator.togglePause(key.jobID, key.destinationID);
}

void JobActions::cancel(const RunKey& key)
{
    m_coordinator.cancel(key.jobID, key.destinationID);
}

void JobActions::askToDelete(const BackupJob& job)
{
    setPendingDeletion(job);
}

void JobActions::setPendingDeletion(std::optional<BackupJob> job)
{
    if (job == m_pendingDeletion)
        return;
    m_pendingDeletion = std::move(job);
    Q_EMIT pendingDeletionChanged();
}

const std::optional<CoordinatorIssue>& JobActions::issue() const
{
    return m_coordinator.issue();
}

void JobActions::setIssue(std::optional<CoordinatorIssue> issue)
{
    m_coordinator.setIssue(std::move(issue));
}

void JobActions::refreshAvailability()
{
    m_monitor.refresh();
}

} // namespace mv
