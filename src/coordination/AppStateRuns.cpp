#include "coordination/AppState.h"

#include "drive/DrivePreview.h"
#include "drive/RunPlanning.h"
#include "engine/MirrorPreviewService.h"
#include "engine/PreflightService.h"
#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"

#include <QPointer>

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

QCoro::Task<> AppState::runJob(BackupJob job)
{
    QPointer<AppState> self(this);
    for (const BackupDestination& destination : job.destinations) {
        if (!destination.isEnabled)
            continue;
        co_await requestRun(job, destination);
        if (!self)
            co_return;
    }
}

QCoro::Task<> AppState::requestRun(BackupJob job, BackupDestination destination)
{
    // One preview at a time: while one runs, every request is dropped, whatever its mode.
    if (m_mirrorCheckInProgress)
        co_return;
    if (effectiveMode(job, destination) != BackupMode::mirror) {
        m_coordinator.enqueue(job, destination, RunTrigger::manual, false);
        co_return;
    }
    QPointer<AppState> self(this);
    const MirrorCheck check([self](bool inProgress) {
        if (self)
            self->setMirrorCheckInProgress(inProgress);
    });
    const auto confirmation = co_await mirrorConfirmation(job, destination);
    if (!self)
        co_return;
    if (!confirmation) {
        m_coordinator.setIssue(confirmation.error());
    } else if (confirmation->totalDeletions != 0) {
        setMirrorPrompt(MirrorPrompt { QUuid::createUuid(), job, destination, *confirmation });
    } else {
        m_coordinator.enqueue(job, destination, RunTrigger::manual, true);
    }
}

QCoro::Task<std::expected<MirrorPreview, CoordinatorIssue>> AppState::driveMirrorConfirmation(
    BackupJob job, BackupDestination destination)
{
    const std::expected<GoogleDrivePlan, PreflightFailure> plan = co_await GoogleDriveEngine::makePlan(job,
        destination,
        GoogleDriveEngine::PlanningServices { m_googleAuth, m_googleCredentials, m_driveConnection, m_log });
    if (!plan)
        co_return std::unexpected(CoordinatorIssue::from(plan.error()));
    const std::expected<GoogleDrivePreview, PreflightFailure> preview
        = co_await GoogleDriveEngine::preview(*plan, m_driveConnection);
    if (!preview)
        co_return std::unexpected(CoordinatorIssue::from(preview.error()));
    co_return MirrorPreview { preview->deletions, preview->totalDeletions };
}

QCoro::Task<std::expected<MirrorPreview, CoordinatorIssue>> AppState::mirrorConfirmation(
    BackupJob job, BackupDestination destination)
{
    if (destination.kind == DestinationKind::googleDrive)
        co_return co_await driveMirrorConfirmation(std::move(job), std::move(destination));
    const AppSettings settings = m_store.config().settings;
    const std::expected<RunPlan, PreflightFailure> plan
        = co_await PreflightService::check(job, destination, settings, m_clock.now());
    if (!plan)
        co_return std::unexpected(CoordinatorIssue::from(plan.error()));
    const std::expected<MirrorPreview, PreflightFailure> preview
        = co_await MirrorPreviewService::preview(*plan);
    if (!preview) {
        // A dry run that failed will not pass by waiting: the user has to look at it.
        CoordinatorIssue issue = CoordinatorIssue::from(preview.error());
        issue.isTemporary = false;
        co_return std::unexpected(issue);
    }
    co_return *preview;
}

void AppState::confirmMirrorRun()
{
    if (!m_mirrorPrompt)
        return;
    const MirrorPrompt prompt = *std::exchange(m_mirrorPrompt, std::nullopt);
    Q_EMIT mirrorPromptChanged();
    m_coordinator.enqueue(prompt.job, prompt.destination, RunTrigger::manual, true);
}

void AppState::setMirrorPrompt(std::optional<MirrorPrompt> prompt)
{
    if (prompt == m_mirrorPrompt)
        return;
    m_mirrorPrompt = std::move(prompt);
    Q_EMIT mirrorPromptChanged();
}

void AppState::setMirrorCheckInProgress(bool inProgress)
{
    if (inProgress == m_mirrorCheckInProgress)
        return;
    m_mirrorCheckInProgress = inProgress;
    Q_EMIT mirrorCheckInProgressChanged();
}

} // namespace mv
