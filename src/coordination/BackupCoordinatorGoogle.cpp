#include "coordination/BackupCoordinator.h"

#include "coordination/NotificationService.h"
#include "coordination/RunEnding.h"
#include "drive/BackupRun.h"
#include "drive/DrivePreview.h"
#include "drive/GoogleDriveRunController.h"
#include "drive/RunPlanning.h"
#include "model/EffectiveValues.h"
#include "model/Format.h"

// The road of a run to Google Drive: every attempt plans afresh, previews what an unconfirmed mirror would
// trash, and uploads through the Drive engine under a controller of its own; then its retries and its
// endings. Planning and preview failures end the run at once: waiting would not change them.
//
// As in BackupCoordinatorRun.cpp, every awaited task is made in a statement of its own and then awaited
// by name (GCC 12 mishandles temporaries inside a co_await expression).

namespace mv {

// How one attempt came out. `ended`: the attempt ended the run itself (or the run was abandoned). Otherwise
// `outcome` is the upload's, or none when the run was cancelled before the upload began.
struct BackupCoordinator::GoogleAttempt {
    bool ended = false;
    std::optional<GoogleDrivePlan> plan;
    std::optional<GoogleDriveOutcome> outcome;
};

QCoro::Task<> BackupCoordinator::executeGoogle(
    QueuedRun item, RunKey key, BackupRunRecord record, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    const qint64 maxRetries = effectiveRetryLimit(item.destination, settings());
    const qint64 delay = effectiveRetryDelaySeconds(item.destination, settings());

    // The failed attempt before this one: what a cancel during the retry or the next plan records.
    std::optional<GoogleDriveOutcome> last;
    for (qint64 attempt = 0;; ++attempt) {
        if (ticket->cancelled) {
            finishGoogleCancelled(last, item, key, record);
            co_return;
        }
        auto attempting = attemptGoogle(item, key, record, ticket);
        const GoogleAttempt result = co_await attempting;
        if (!self || ticket->abandoned || result.ended)
            co_return;
        if (!result.outcome) {
            finishGoogleCancelled(last, item, key, record);
            co_return;
        }
        const GoogleDriveOutcome& outcome = *result.outcome;
        if (ticket->cancelled || outcome.cancelled) {
            finishGoogleCancelled(outcome, item, key, record);
            co_return;
        }
        // Files the engine could not back up are warnings of a successful run; only a run-wide error fails.
        if (!outcome.errorMessage) {
            finishGoogleSuccess(*result.plan, outcome, item, key, record);
            co_return;
        }
        last = outcome;
        if (attempt >= maxRetries) {
            finishGoogleFailure(*outcome.errorMessage, *result.plan, outcome, item, key, record);
            co_return;
        }
        setProgress(key, RunPhase::waiting,
            QStringLiteral("Retrying in %1s (%2/%3)").arg(delay).arg(attempt + 1).arg(maxRetries));
        auto retryWait = waitBeforeRetry(delay, ticket);
        co_await retryWait;
        if (!self || ticket->abandoned)
            co_return;
    }
}

QCoro::Task<BackupCoordinator::GoogleAttempt> BackupCoordinator::attemptGoogle(
    QueuedRun item, RunKey key, BackupRunRecord record, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    const GoogleAttempt ended { true, std::nullopt, std::nullopt };
    setGooglePlanning(key, ticket->paused);
    // A fresh controller for each attempt, so that the views' controls reach the attempt under way. A
    // pause asked for earlier holds it too.
    const auto controller = std::make_shared<GoogleDriveRunController>();
    if (ticket->paused)
        controller->pause();
    if (const auto it = m_runs.find(key); it != m_runs.end())
        it->driveController = controller;
    const auto cancelled = [&] { return ticket->cancelled || controller->cancelled(); };
    const auto dropController = [this, key, controller] {
        if (const auto it = m_runs.find(key); it != m_runs.end() && it->driveController == controller)
            it->driveController.reset();
    };

    auto planning = GoogleDriveEngine::makePlan(item.job, item.destination,
        GoogleDriveEngine::PlanningServices {
            m_drive.auth, m_drive.credentials, m_drive.connection, m_drive.log });
    const std::expected<GoogleDrivePlan, PreflightFailure> plan = co_await planning;
    if (!self || ticket->abandoned)
        co_return ended;
    // A cancel that came while planning wins over whatever planning found.
    if (cancelled()) {
        dropController();
        co_return GoogleAttempt {};
    }
    if (!plan) {
        dropController();
        finishPreflightFailure(plan.error(), item, key, record);
        co_return ended;
    }

    bool allowDeletions = ticket->confirmedMirror;
    if (plan->mode == BackupMode::mirror && !ticket->confirmedMirror) {
        auto previewing = GoogleDriveEngine::preview(*plan, m_drive.connection);
        const std::expected<GoogleDrivePreview, PreflightFailure> preview = co_await previewing;
        if (!self || ticket->abandoned)
            co_return ended;
        if (cancelled()) {
            dropController();
            co_return GoogleAttempt {};
        }
        if (!preview) {
            dropController();
            finishPreflightFailure(preview.error(), item, key, record);
            co_return ended;
        }
        if (preview->totalDeletions > 0) {
            dropController();
            finishWaitingDeletions(preview->totalDeletions, item, key, record);
            co_return ended;
        }
        allowDeletions = true; // there is nothing to trash
    }

    startGoogleUpload(key, plan->files.size());
    const auto onProgress = [self, key, controller](const GoogleProgressSnapshot& snapshot) {
        if (self)
            self->handleGoogle(snapshot, key, controller);
    };
    auto running = GoogleDriveEngine::run(*plan, allowDeletions,
        GoogleDriveEngine::RunServices { m_drive.connection, m_drive.resumeStore, m_clock }, *controller,
        onProgress);
    GoogleDriveOutcome outcome = co_await running;
    if (!self || ticket->abandoned)
        co_return ended;
    dropController();
    co_return GoogleAttempt { false, *plan, std::move(outcome) };
}

// A paused run keeps showing its pause while it plans again; its figures start over all the same.
void BackupCoordinator::setGooglePlanning(const RunKey& key, bool paused)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end())
        return;
    it->transferStarted = false;
    RunProgress& progress = it->entry.progress;
    if (!paused) {
        progress.phase = RunPhase::preparing;
        progress.message = QStringLiteral("Finding files to back up");
    }
    progress.fraction = 0;
    progress.bytesTransferred = 0;
    progress.filesCompleted = 0;
    progress.filesTotal = 0;
    progress.currentFile.reset();
    Q_EMIT runChanged(key);
}

void BackupCoordinator::startGoogleUpload(const RunKey& key, qsizetype filesTotal)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end())
        return;
    it->transferStarted = true;
    RunProgress& progress = it->entry.progress;
    if (progress.phase == RunPhase::preparing) {
        progress.phase = RunPhase::running;
        progress.message = QStringLiteral("Checking Google Drive");
    }
    progress.startedAt = m_clock.now();
    progress.fraction = 0;
    progress.filesTotal = filesTotal;
    progress.currentFile.reset();
    Q_EMIT runChanged(key);
}

// A snapshot updates the figures of the attempt that sent it. As with rsync, it never changes the phase:
// a paused or cancelling run stays so until resume() or its ending.
void BackupCoordinator::handleGoogle(const GoogleProgressSnapshot& snapshot, const RunKey& key,
    const std::shared_ptr<GoogleDriveRunController>& controller)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end() || it->driveController != controller)
        return;
    RunProgress& progress = it->entry.progress;
    progress.fraction = snapshot.fraction;
    progress.bytesTransferred = snapshot.bytes;
    progress.bytesPerSecond = snapshot.bytesPerSecond;
    progress.filesCompleted = snapshot.filesDone;
    progress.filesTotal = snapshot.filesTotal;
    progress.currentFile = snapshot.currentFile;
    progress.etaSeconds = snapshot.etaSeconds;
    if (snapshot.currentFile && progress.phase == RunPhase::running)
        progress.message.reset();
    Q_EMIT runChanged(key);
}

void BackupCoordinator::finishGoogleSuccess(const GoogleDrivePlan& plan, const GoogleDriveOutcome& outcome,
    const QueuedRun& item, const RunKey& key, const BackupRunRecord& record)
{
    const RunEnding ending
        = RunEnding::googleSuccess(outcome, { plan.folderID, plan.account }, record, m_clock.now());
    m_offlineNotified.remove(key);
    conclude(item, key, ending, [&] {
        if (!settings().notifySuccess || !m_notifications.authorized()
            || !RunEnding::deservesSuccessNotice(outcome.duration, outcome.bytes))
            return;
        m_notifications.post(item.job.name + QStringLiteral(" is backed up"),
            Format::bytes(outcome.bytes) + QStringLiteral(" copied to ") + item.destination.name
                + QStringLiteral(" in ") + Format::duration(outcome.duration) + QStringLiteral("."),
            NotificationService::freshIdentifier());
    });
}

void BackupCoordinator::finishGoogleFailure(const QString& message, const GoogleDrivePlan& plan,
    const GoogleDriveOutcome& outcome, const QueuedRun& item, const RunKey& key,
    const BackupRunRecord& record)
{
    const RunEnding ending = RunEnding::googleFailure(
        message, outcome, { plan.folderID, plan.account }, item.job.name, record, m_clock.now());
    conclude(item, key, ending, [&] {
        if (settings().notifyFailure)
            m_notifications.failure(item.job.name, item.destination.name, message);
    });
}

void BackupCoordinator::finishGoogleCancelled(const std::optional<GoogleDriveOutcome>& outcome,
    const QueuedRun& item, const RunKey& key, const BackupRunRecord& record)
{
    conclude(item, key, RunEnding::googleCancelled(outcome, record, m_clock.now()), [] {});
}

} // namespace mv
