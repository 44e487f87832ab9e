#include "coordination/BackupCoordinator.h"

#include "coordination/NotificationService.h"
#include "coordination/RunEnding.h"
#include "engine/PreflightFailure.h"
#include "engine/RsyncOutcome.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "model/HistoryRepository.h"

// The endings of a run: each completes the history row, writes the destination's status, shows the final
// phase for 6 s, raises its issue or posts its notice, tells the application state and pumps the queue.

namespace mv {

namespace {

using namespace std::chrono_literals;

constexpr auto finishedEntryHold = 6s;

} // namespace

void BackupCoordinator::finishSuccess(const RsyncOutcome& outcome, const std::optional<QString>& pruneFailure,
    const QueuedRun& item, const RunKey& key, const BackupRunRecord& record)
{
    const RunEnding ending = RunEnding::success(outcome, record, m_clock.now());
    if (pruneFailure)
        setIssue(CoordinatorIssue::make(QStringLiteral("Old snapshots were kept"), *pruneFailure,
            QStringLiteral("Nothing from the current backup was touched."),
            QStringLiteral("clock.badge.exclamationmark")));
    m_offlineNotified.remove(key);
    conclude(item, key, ending, [&] {
        const qint64 bytes = ending.record.bytesTransferred;
        if (!settings().notifySuccess || !m_notifications.authorized()
            || !RunEnding::deservesSuccessNotice(outcome.duration, bytes))
            return;
        m_notifications.post(item.job.name + QStringLiteral(" is backed up"),
            Format::bytes(bytes) + QStringLiteral(" copied to ") + item.destination.name
                + QStringLiteral(" in ") + Format::duration(outcome.duration) + QStringLiteral("."),
            NotificationService::freshIdentifier());
    });
}

void BackupCoordinator::finishFailure(const QString& message, const RsyncOutcome& outcome,
    const QueuedRun& item, const RunKey& key, const BackupRunRecord& record)
{
    conclude(item, key, RunEnding::failure(message, outcome, item.job.name, record, m_clock.now()), [&] {
        if (settings().notifyFailure)
            m_notifications.failure(item.job.name, item.destination.name, message);
    });
}

void BackupCoordinator::finishCancelled(const QueuedRun& item, const RunKey& key,
    const BackupRunRecord& record, const std::optional<RsyncOutcome>& outcome)
{
    conclude(item, key, RunEnding::cancelled(outcome, record, m_clock.now()), [] {});
}

void BackupCoordinator::finishPreflightFailure(
    const PreflightFailure& failure, const QueuedRun& item, const RunKey& key, const BackupRunRecord& record)
{
    conclude(item, key, RunEnding::preflightFailure(failure, record, m_clock.now()), [&] {
        if (!failure.isTemporary) {
            if (settings().notifyFailure)
                m_notifications.failure(item.job.name, item.destination.name, failure.message);
            return;
        }
        // A destination that is away is reported once, until a run of it succeeds again.
        if (!settings().notifyOffline || m_offlineNotified.contains(key))
            return;
        m_offlineNotified.insert(key);
        m_notifications.post(item.job.name + QStringLiteral(" is waiting"), failure.combined(),
            QStringLiteral("offline-") + item.job.name + u'-' + item.destination.name);
    });
}

void BackupCoordinator::finishWaitingDeletions(
    qint64 count, const QueuedRun& item, const RunKey& key, const BackupRunRecord& record)
{
    const RunEnding ending
        = RunEnding::waitingForDeletions(count, item.destination.name, record, m_clock.now());
    conclude(item, key, ending, [&] {
        if (settings().notifyFailure)
            m_notifications.failure(item.job.name, item.destination.name, *ending.record.errorSummary);
    });
}

void BackupCoordinator::conclude(
    const QueuedRun& item, const RunKey& key, const RunEnding& ending, const std::function<void()>& notify)
{
    m_tickets.remove(key);
    m_history.finish(ending.record);
    const QDateTime endedAt = ending.record.endedAt.value_or(m_clock.now());
    m_store.updateDestination(item.job.id, item.destination.id, [&](BackupDestination& destination) {
        destination.lastAttempt = endedAt;
        if (ending.succeeded())
            destination.lastSuccess = endedAt;
        destination.lastResult = ending.record.result;
        destination.lastError = ending.lastError;
    });
    if (const auto it = m_runs.find(key); it != m_runs.end()) {
        RunProgress& progress = it->progress;
        progress.phase = ending.phase;
        progress.message = ending.message;
        if (ending.succeeded()) {
            progress.fraction = 1.0;
            progress.bytesTransferred = ending.record.bytesTransferred;
            progress.filesCompleted = ending.filesCompleted;
        }
    }
    if (ending.issue)
        m_issue = ending.issue;
    Q_EMIT changed();
    notify();
    scheduleRemoval(key);
    if (onRunFinished)
        onRunFinished(key);
    if (onRunRecorded)
        onRunRecorded();
    pump();
}

// The entry of a finished run stays visible for 6 s, unless the key was queued again meanwhile.
void BackupCoordinator::scheduleRemoval(const RunKey& key)
{
    if (const auto previous = m_removals.take(key))
        previous->cancel();
    m_removals.insert(key, m_clock.after(finishedEntryHold, [self = QPointer<BackupCoordinator>(this), key] {
        if (!self)
            return;
        const auto it = self->m_runs.constFind(key);
        if (it == self->m_runs.cend())
            return;
        switch (it->progress.phase) {
        case RunPhase::waiting:
        case RunPhase::completed:
        case RunPhase::failed:
        case RunPhase::cancelled:
            self->m_runs.remove(key);
            self->m_folders.remove(key);
            Q_EMIT self->changed();
            break;
        default:
            break;
        }
    }));
}

} // namespace mv
