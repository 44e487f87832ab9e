#include "coordination/RestoreCoordinator.h"

#include "coordination/NotificationService.h"
#include "coordination/RunPhaseGroups.h"
#include "engine/LogPath.h"
#include "engine/RestoreService.h"
#include "engine/RsyncTransfer.h"
#include "model/ConfigurationStore.h"
#include "model/HistoryRepository.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>

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

} // namespace

RestoreCoordinator::RestoreCoordinator(ConfigurationStore& store, HistoryRepository& history,
    NotificationService& notifications, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_history(history)
    , m_notifications(notifications)
    , m_clock(clock)
{
}

RestoreCoordinator::~RestoreCoordinator()
{
    if (m_ticket)
        m_ticket->cancelled = true;
    if (m_transfer)
        m_transfer->cancel();
}

QCoro::Task<QStringList> RestoreCoordinator::restoreRequiredConfirmation(RestoreRequest request)
{
    const auto plan = RestoreService::makePlan(request, m_store.config().settings);
    // A request that cannot be planned raises its problem when the restore is started.
    if (!plan)
        co_return QStringList {};
    auto scanning = RestoreService::scanConflicts(*plan);
    co_return co_await scanning;
}

void RestoreCoordinator::performRestore(const RestoreRequest& request)
{
    if (m_shutDown)
        return;
    if (m_restore && isLive(m_restore->phase)) {
        Q_EMIT issueRaised(CoordinatorIssue::restoreRunning());
        return;
    }
    const auto plan = RestoreService::makePlan(request, m_store.config().settings);
    if (!plan) {
        Q_EMIT issueRaised(CoordinatorIssue::from(plan.error()));
        return;
    }
    const BackupRunRecord record = makeRecord(*plan);
    m_history.begin(record);

    RestoreProgressState state;
    state.phase = RunPhase::preparing;
    state.message = QStringLiteral("Preparing restore");
    state.itemCount = plan->items.size();
    state.target = record.destinationPath;
    state.progress.phase = RunPhase::preparing;
    state.progress.startedAt = m_clock.now();
    m_restore = state;
    auto ticket = std::make_shared<Ticket>();
    m_ticket = ticket;
    Q_EMIT restoreChanged();

    // The items are copied from the event loop, after the caller has seen the restore preparing.
    QMetaObject::invokeMethod(
        this,
        [this, plan = *plan, record, ticket] {
            // The task runs on by itself; the ticket is how cancelRestore() reaches it.
            execute(plan, record, ticket);
        },
        Qt::QueuedConnection);
}

void RestoreCoordinator::cancelRestore()
{
    if (!m_restore || !m_ticket || !isLive(m_restore->phase))
        return;
    m_ticket->cancelled = true;
    m_restore->phase = RunPhase::cancelling;
    m_restore->progress.phase = RunPhase::cancelling;
    Q_EMIT restoreChanged();
    if (m_transfer)
        m_transfer->cancel();
}

void RestoreCoordinator::clearRestore()
{
    if (!m_restore || isLive(m_restore->phase))
        return;
    m_restore.reset();
    Q_EMIT restoreChanged();
}

QCoro::Task<> RestoreCoordinator::execute(
    RestorePlan plan, BackupRunRecord record, std::shared_ptr<Ticket> ticket)
{
    const QPointer<RestoreCoordinator> self(this);
    Totals totals;
    const qint64 count = plan.items.size();
    for (qint64 index = 0; index < count; ++index) {
        const RestoreItem& item = plan.items.at(index);
        if (!ticket->cancelled)
            showItem(index, item);
        // Tested after showing the item too, so a stop pressed as the item appears starts nothing.
        if (ticket->cancelled) {
            finish(RunPhase::cancelled, {}, record, totals);
            co_return;
        }
        // The folders an item several levels deep goes into may not exist yet in a chosen folder.
        if (const auto problem = RestoreService::createTargetFolders(item)) {
            finish(RunPhase::failed, problem->description(), record, totals);
            co_return;
        }

        const auto transfer = std::make_shared<RsyncTransfer>(
            itemRunPlan(plan, item, record), LogPath::prepare(QStringLiteral("restore-")), m_clock);
        m_transfer = transfer;
        const Step step { ticket, index, count, totals.bytes };
        // The relay lives until the item's transfer has returned and is closed before its last news is lost.
        const auto relay = TransferRelay::create(
            this, [this, step](const TransferRelay::News& news) { handle(news, step); });
        auto running = transfer->run(*relay);
        const RsyncOutcome outcome = co_await running;
        if (!self)
            co_return;
        relay->close();
        // A restore asks rsync for no statistics, so the names it reports are the count.
        totals.bytes += outcome.stats.transferredBytes;
        totals.files += relay->filesWritten();
        // The record keeps the log of the last item that ran.
        record.logPath = outcome.logPath;
        record.logTruncated = outcome.logTruncated;
        if (outcome.cancelled || ticket->cancelled) {
            finish(RunPhase::cancelled, {}, record, totals);
            co_return;
        }
        // 24: some source files vanished while copying; what was there is restored.
        if (outcome.exitCode != 0 && outcome.exitCode != 24) {
            finish(RunPhase::failed, outcome.firstError(), record, totals);
            co_return;
        }
    }
    finish(RunPhase::completed, {}, record, totals);
}

BackupRunRecord RestoreCoordinator::makeRecord(const RestorePlan& plan) const
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

void RestoreCoordinator::showItem(qint64 index, const RestoreItem& item)
{
    if (!m_restore)
        return;
    m_restore->itemIndex = index;
    m_restore->phase = RunPhase::running;
    m_restore->message = QStringLiteral("Restoring ") + QFileInfo(item.sourcePath).fileName();
    Q_EMIT restoreChanged();
}

// Every item weighs the same in the fraction, whatever its size. Events of a restore that has ended or
// been replaced change nothing, and a sample never turns a cancelling restore back into running.
void RestoreCoordinator::handle(const TransferRelay::News& news, const Step& step)
{
    if (!m_restore || step.ticket != m_ticket || !isLive(m_restore->phase))
        return;
    RunProgress& progress = m_restore->progress;
    if (news.name)
        progress.currentFile = *news.name;
    if (news.sample) {
        const RsyncSample& sample = *news.sample;
        progress.phase = m_restore->phase;
        progress.fraction = (sample.percent + double(step.index)) / double(std::max<qint64>(step.count, 1));
        progress.bytesTransferred = step.bytesBefore + sample.bytesTransferred;
        progress.bytesPerSecond = sample.bytesPerSecond;
        progress.etaSeconds = sample.etaSeconds;
        if (sample.total && sample.remaining) {
            progress.filesTotal = *sample.total;
            progress.filesCompleted = std::max<qint64>(*sample.total - *sample.remaining, 0);
        }
    }
    if (news.name || news.sample)
        Q_EMIT restoreChanged();
}

void RestoreCoordinator::finish(RunPhase phase, const QString& failure, BackupRunRecord record, Totals totals)
{
    m_transfer.reset();
    m_ticket.reset();
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
        Q_EMIT restoreChanged();
    }
    if (phase == RunPhase::completed && m_store.config().settings.notifySuccess)
        m_notifications.restore(record.destinationPath, totals.files);
    Q_EMIT restoreRecorded();
}

} // namespace mv
