#include "coordination/BackupCoordinator.h"

#include "coordination/NotificationService.h"
#include "coordination/RunPhaseGroups.h"
#include "engine/LogPath.h"
#include "engine/RestoreService.h"
#include "engine/RsyncProcessController.h"
#include "engine/RsyncRunError.h"
#include "model/ConfigurationStore.h"
#include "model/HistoryRepository.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <atomic>

// Restores: one at a time, planned by RestoreService, recorded in the history, their items copied one
// after another by a single rsync controller, with the progress of the whole restore published for the
// views and a notice when it succeeds.
//
// Every awaited task is made in a statement of its own and then awaited by name: GCC 12 mishandles
// temporaries inside a co_await expression.

namespace mv {

namespace {

// The rsync run that copies one item of a restore: always local, never over SSH.
RunPlan itemRunPlan(const RestorePlan& plan, const RestoreItem& item, const BackupRunRecord& record)
{
    RunPlan run;
    run.jobID = record.jobID;
    run.jobName = record.jobName;
    run.destinationID = record.destinationID;
    run.destinationName = record.destinationName;
    run.sourcePath = item.sourcePath;
    run.targetPath = item.receivingFolder();
    run.mode = BackupMode::incremental;
    run.destinationKind = DestinationKind::local;
    run.executable = plan.executable;
    run.environment = plan.environment;
    run.arguments = RestoreService::arguments(item, plan.request.overwriteExisting);
    return run;
}

QString itemFailure(const RsyncOutcome& outcome)
{
    return outcome.errors.value(0, QStringLiteral("rsync exited with code %1.").arg(outcome.exitCode));
}

} // namespace

// Hands one item's events from the reading threads to the main thread, in the order they came, and counts
// the files and links the item wrote: a restore asks rsync for no statistics, so the names it reports are
// the count (folders, reported with a trailing "/", are not counted).
struct BackupCoordinator::RestoreRelay {
    QPointer<BackupCoordinator> coordinator;
    RestoreStep step;
    mutable std::atomic<qint64> written { 0 };

    void operator()(const RsyncEvent& event) const
    {
        if (event.transferredName && !event.transferredName->endsWith(u'/'))
            ++written;
        if (BackupCoordinator* target = coordinator.data())
            QMetaObject::invokeMethod(
                target, [target, step = step, event] { target->handleRestoreEvent(event, step); },
                Qt::QueuedConnection);
    }
};

QCoro::Task<QStringList> BackupCoordinator::restoreRequiredConfirmation(RestoreRequest request)
{
    const auto plan = RestoreService::makePlan(request, settings());
    // A request that cannot be planned raises its problem when the restore is started.
    if (!plan)
        co_return QStringList {};
    auto scanning = RestoreService::scanConflicts(*plan);
    co_return co_await scanning;
}

void BackupCoordinator::performRestore(const RestoreRequest& request)
{
    if (m_shutDown)
        return;
    if (m_restore && isLive(m_restore->phase)) {
        setIssue(CoordinatorIssue::restoreRunning());
        return;
    }
    const auto plan = RestoreService::makePlan(request, settings());
    if (!plan) {
        setIssue(CoordinatorIssue::from(plan.error()));
        return;
    }
    const BackupRunRecord record = makeRestoreRecord(*plan);
    m_history.begin(record);

    RestoreProgressState state;
    state.phase = RunPhase::preparing;
    state.message = QStringLiteral("Preparing restore");
    state.itemCount = plan->items.size();
    state.target = record.destinationPath;
    state.progress.phase = RunPhase::preparing;
    state.progress.startedAt = m_clock.now();
    m_restore = state;
    auto ticket = std::make_shared<RestoreTicket>();
    m_restoreTicket = ticket;
    Q_EMIT changed();

    // The items are copied from the event loop, after the caller has seen the restore preparing.
    QMetaObject::invokeMethod(
        this,
        [this, plan = *plan, record, ticket] {
            // The task runs on by itself; the ticket is how cancelRestore() reaches it.
            executeRestore(plan, record, ticket);
        },
        Qt::QueuedConnection);
}

void BackupCoordinator::cancelRestore()
{
    if (!m_restore || !m_restoreTicket || !isLive(m_restore->phase))
        return;
    m_restoreTicket->cancelled = true;
    m_restore->phase = RunPhase::cancelling;
    m_restore->progress.phase = RunPhase::cancelling;
    Q_EMIT changed();
    if (m_restoreController)
        m_restoreController->cancel();
}

void BackupCoordinator::clearRestore()
{
    if (!m_restore || isLive(m_restore->phase))
        return;
    m_restore.reset();
    Q_EMIT changed();
}

QCoro::Task<> BackupCoordinator::executeRestore(
    RestorePlan plan, BackupRunRecord record, std::shared_ptr<RestoreTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    // One controller serves every item in turn; once cancelled, any item it is asked to run ends at once.
    const auto controller = std::make_shared<RsyncProcessController>();
    m_restoreController = controller;
    RestoreTotals totals;
    const qint64 count = plan.items.size();
    for (qint64 index = 0; index < count; ++index) {
        const RestoreItem& item = plan.items.at(index);
        if (!ticket->cancelled)
            showRestoreItem(index, item);
        // Tested after showing the item too, so a stop pressed as the item appears starts nothing.
        if (ticket->cancelled) {
            finishRestore(RunPhase::cancelled, {}, record, totals);
            co_return;
        }
        // The folders an item several levels deep goes into may not exist yet in a chosen folder.
        if (const auto problem = RestoreService::createTargetFolders(item)) {
            finishRestore(RunPhase::failed, problem->description(), record, totals);
            co_return;
        }

        // The handler is one plain pointer to a relay that lives here until the item's run has returned, so
        // it owns nothing however the controller copies, moves or destroys it.
        const RestoreRelay relay { self, RestoreStep { ticket, index, count, totals.bytes } };
        const RestoreRelay* relayPointer = &relay;
        RsyncOutcome outcome;
        std::optional<QString> unstarted;
        try {
            auto running = controller->run(itemRunPlan(plan, item, record),
                LogPath::prepare(QStringLiteral("restore-")),
                [relayPointer](const RsyncEvent& event) { (*relayPointer)(event); });
            outcome = co_await running;
        } catch (const RsyncRunError& error) {
            unstarted = error.description();
        } catch (const std::exception& error) {
            unstarted = QString::fromUtf8(error.what());
        }
        if (!self)
            co_return;
        if (unstarted) {
            finishRestore(RunPhase::failed, *unstarted, record, totals);
            co_return;
        }
        totals.bytes += outcome.stats.transferredBytes;
        totals.files += relay.written;
        // The record keeps the log of the last item that ran.
        record.logPath = outcome.logPath;
        record.logTruncated = outcome.logTruncated;
        if (outcome.cancelled || ticket->cancelled) {
            finishRestore(RunPhase::cancelled, {}, record, totals);
            co_return;
        }
        // 24: some source files vanished while copying; what was there is restored.
        if (outcome.exitCode != 0 && outcome.exitCode != 24) {
            finishRestore(RunPhase::failed, itemFailure(outcome), record, totals);
            co_return;
        }
    }
    finishRestore(RunPhase::completed, {}, record, totals);
}

BackupRunRecord BackupCoordinator::makeRestoreRecord(const RestorePlan& plan) const
{
    const RestoreRequest& request = plan.request;
    BackupRunRecord record;
    record.id = QUuid::createUuid();
    record.jobID = request.jobID;
    record.jobName = request.jobName + QStringLiteral(" restore");
    record.sourcePath = plan.items.isEmpty() ? request.rootPath : plan.items.first().sourcePath;
    record.destinationID = request.destinationID;
    record.destinationName = request.destinationName;
    record.destinationPath = request.useOriginalLocations ? request.sourcePath : request.targetBase;
    record.mode = BackupMode::incremental;
    record.trigger = RunTrigger::restore;
    record.startedAt = m_clock.now();
    return record;
}

void BackupCoordinator::showRestoreItem(qint64 index, const RestoreItem& item)
{
    if (!m_restore)
        return;
    m_restore->itemIndex = index;
    m_restore->phase = RunPhase::running;
    m_restore->message = QStringLiteral("Restoring ") + QFileInfo(item.sourcePath).fileName();
    Q_EMIT changed();
}

// Every item weighs the same in the fraction, whatever its size. Events of a restore that has ended or
// been replaced change nothing, and a sample never turns a cancelling restore back into running.
void BackupCoordinator::handleRestoreEvent(const RsyncEvent& event, const RestoreStep& step)
{
    if (!m_restore || step.ticket != m_restoreTicket || !isLive(m_restore->phase))
        return;
    RunProgress& progress = m_restore->progress;
    if (event.sample) {
        const RsyncSample& sample = *event.sample;
        progress.phase = m_restore->phase;
        progress.fraction = (sample.percent + double(step.index)) / double(std::max<qint64>(step.count, 1));
        progress.bytesTransferred = step.bytesBefore + sample.bytesTransferred;
        progress.bytesPerSecond = sample.bytesPerSecond;
        progress.etaSeconds = sample.etaSeconds;
        if (sample.total && sample.remaining) {
            progress.filesTotal = *sample.total;
            progress.filesCompleted = std::max<qint64>(*sample.total - *sample.remaining, 0);
        }
    } else if (event.transferredName) {
        progress.currentFile = *event.transferredName;
    } else {
        return;
    }
    Q_EMIT changed();
}

void BackupCoordinator::finishRestore(
    RunPhase phase, const QString& failure, BackupRunRecord record, RestoreTotals totals)
{
    m_restoreController.reset();
    record.endedAt = m_clock.now();
    record.bytesTransferred = totals.bytes;
    record.filesCopied = totals.files;
    QString message;
    switch (phase) {
    case RunPhase::completed:
        record.result = RunResult::success;
        message = QStringLiteral("Restore complete");
        break;
    case RunPhase::failed:
        record.result = RunResult::failed;
        record.errorSummary = failure;
        message = failure;
        break;
    default:
        record.result = RunResult::cancelled;
        record.errorSummary = QStringLiteral("Restore cancelled by the user.");
        message = QStringLiteral("Restore cancelled");
        break;
    }
    m_history.finish(record);
    if (m_restore) {
        m_restore->phase = phase;
        m_restore->progress.phase = phase;
        if (phase == RunPhase::completed)
            m_restore->progress.fraction = 1.0;
        m_restore->message = message;
        Q_EMIT changed();
    }
    if (phase == RunPhase::completed && settings().notifySuccess)
        m_notifications.restore(record.destinationPath, totals.files);
    if (onRunRecorded)
        onRunRecorded();
    noteTransferEnded();
}

} // namespace mv
