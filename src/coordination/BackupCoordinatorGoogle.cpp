#include "coordination/BackupCoordinator.h"

#include "coordination/NotificationService.h"
#include "coordination/RunEnding.h"
#include "drive/BackupRun.h"
#include "drive/DrivePreview.h"
#include "drive/GoogleDriveTransfer.h"
#include "drive/RunPlanning.h"
#include "model/AppSettings.h"
#include "model/Format.h"

// One attempt of a run to Google Drive and the Drive endings: every attempt plans afresh (a confirmed
// mirror's first attempt excepted), previews what an unconfirmed mirror would trash, and uploads through a
// transfer of its own. Planning and preview failures end the run at once: waiting would not change them.
// Retries, the folder wait and the progress relay are the rsync road's (BackupCoordinatorRun.cpp).

namespace mv {

QCoro::Task<BackupCoordinator::Attempt> BackupCoordinator::attemptGoogle(
    QueuedRun item, RunKey key, BackupRunRecord record, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    const Attempt concluded;
    const Attempt cancelledBeforeUpload { Attempt::End::cancelled, {}, {} };
    // A paused run keeps showing its pause while it plans again; its figures start over all the same.
    if (const auto it = m_runs.find(key); it != m_runs.end()) {
        RunProgress& progress = it->entry.progress;
        if (!ticket->paused) {
            progress.phase = RunPhase::preparing;
            progress.message = it->preparingMessage();
        }
        progress.fraction = 0;
        progress.bytesTransferred = 0;
        progress.filesCompleted = 0;
        progress.filesTotal = 0;
        progress.currentFile.reset();
        Q_EMIT runChanged(key);
    }

    // A confirmed mirror's first attempt runs on the plan its preview was made from: the person agreed to
    // those deletions, and a second scan and listing would cost as much again. Retries plan afresh.
    std::expected<GoogleDrivePlan, PreflightFailure> plan;
    if (const auto confirmed = std::exchange(ticket->confirmedPlan, nullptr)) {
        plan = *confirmed;
    } else {
        auto planning = GoogleDriveEngine::makePlan(item.job, item.destination,
            GoogleDriveEngine::PlanningServices {
                m_drive.auth, m_drive.credentials, m_drive.connection, m_drive.log });
        plan = co_await planning;
        if (!self || ticket->abandoned)
            co_return concluded;
    }
    // A cancel that came while planning wins over whatever planning found.
    if (ticket->cancelled)
        co_return cancelledBeforeUpload;
    if (!plan) {
        finishPreflightFailure(plan.error(), item, key, record);
        co_return concluded;
    }

    bool allowDeletions = ticket->confirmedMirror;
    if (plan->mode == BackupMode::mirror && !ticket->confirmedMirror) {
        auto previewing = GoogleDriveEngine::preview(*plan, m_drive.connection);
        const std::expected<GoogleDrivePreview, PreflightFailure> preview = co_await previewing;
        if (!self || ticket->abandoned)
            co_return concluded;
        if (ticket->cancelled)
            co_return cancelledBeforeUpload;
        if (!preview) {
            finishPreflightFailure(preview.error(), item, key, record);
            co_return concluded;
        }
        if (preview->totalDeletions > 0) {
            finishWaitingDeletions(preview->totalDeletions, item, key, record);
            co_return concluded;
        }
        allowDeletions = true; // there is nothing to trash
    }

    auto transferring = runTransfer<GoogleDriveOutcome>(key,
        std::make_shared<GoogleDriveTransfer>(*plan, allowDeletions,
            GoogleDriveEngine::RunServices { m_drive.connection, m_drive.resumeStore, m_clock }),
        ticket, QStringLiteral("Checking Google Drive"), qint64(plan->files.size()));
    const std::optional<GoogleDriveOutcome> transferred = co_await transferring;
    if (!self || !transferred)
        co_return concluded;
    const GoogleDriveOutcome& outcome = *transferred;

    const std::function<void()> finishCancelled
        = [this, outcome, item, key, record] { finishGoogleCancelled(outcome, item, key, record); };
    if (ticket->cancelled || outcome.cancelled)
        co_return Attempt { Attempt::End::cancelled, {}, finishCancelled };
    // Files the engine could not back up are warnings of a successful run; only a run-wide error fails.
    if (!outcome.errorMessage)
        co_return Attempt { Attempt::End::succeeded,
            [this, plan = *plan, outcome, item, key, record] {
                finishGoogleSuccess(plan, outcome, item, key, record);
            },
            {} };
    co_return Attempt { Attempt::End::failed,
        [this, plan = *plan, outcome, item, key, record] {
            finishGoogleFailure(*outcome.errorMessage, plan, outcome, item, key, record);
        },
        finishCancelled };
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
