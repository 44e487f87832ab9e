#include "coordination/BackupCoordinator.h"

#include "coordination/NotificationService.h"
#include "coordination/RunEnding.h"
#include "engine/PreflightFailure.h"
#include "engine/RsyncOutcome.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "model/HistoryRepository.h"

#include <QMetaObject>

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
    m_history.finish(ending.record);
    const QDateTime endedAt = ending.record.endedAt.value_or(m_clock.now());
    m_store.updateDestination(item.job.id, item.destination.id, [&](BackupDestination& destination) {
        destination.lastAttempt = endedAt;
        if (ending.succeeded())
            destination.lastSuccess = endedAt;
        destination.lastResult = ending.record.result;
        destination.lastError = ending.lastError;
        if (ending.driveFolder) {
            destination.googleFolderID = ending.driveFolder->folderID;
            destination.googleAccount = ending.driveFolder->account;
        }
    });
    if (const auto it = m_runs.find(key); it != m_runs.end()) {
        it->ticket.reset();
        RunProgress& progress = it->entry.progress;
        progress.phase = ending.phase;
        progress.message = ending.message;
        if (ending.succeeded()) {
            progress.fraction = 1.0;
            progress.bytesTransferred = ending.record.bytesTransferred;
            progress.filesCompleted = ending.filesCompleted;
        }
        Q_EMIT runChanged(key);
    }
    if (ending.issue)
        setIssue(ending.issue);
    notify();
    scheduleRemoval(key);
    Q_EMIT runFinished(key);
    pump();
    noteEnded();
}

// The entry of a finished run stays visible for 6 s, unless the key was queued again meanwhile.
void BackupCoordinator::scheduleRemoval(const RunKey& key)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end())
        return;
    if (it->removal)
        it->removal->cancel();
    it->removal = m_clock.after(finishedEntryHold, [self = QPointer<BackupCoordinator>(this), key] {
        if (!self)
            return;
        const auto run = self->m_runs.find(key);
        if (run == self->m_runs.end())
            return;
        switch (run->entry.progress.phase) {
        case RunPhase::waiting:
        case RunPhase::completed:
        case RunPhase::failed:
        case RunPhase::cancelled:
            // The alarm is the caller: it is let go of once this call has returned.
            QMetaObject::invokeMethod(
                self, [fired = std::move(run->removal)] {}, Qt::QueuedConnection);
            self->removeEntry(key);
            break;
        default:
            break;
        }
    });
}

} // namespace mv
