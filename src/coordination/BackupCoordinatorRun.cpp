#include "coordination/BackupCoordinator.h"

#include "coordination/RunEnding.h"
#include "coordination/RunPhaseGroups.h"
#include "coordination/SnapshotCleanup.h"
#include "engine/MirrorPreviewService.h"
#include "engine/PreflightService.h"
#include "engine/RsyncTransfer.h"
#include "model/AppPaths.h"
#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"
#include "model/FileSystemError.h"
#include "model/HistoryRepository.h"
#include "model/UuidText.h"

#include <algorithm>
#include <chrono>

// A started run's road: its checks, its transfer and its retries, up to the one ending it reaches.
//
// Every awaited task is made in a statement of its own and then awaited by name: GCC 12 mishandles
// temporaries inside a co_await expression (some are never destroyed, some twice).

namespace mv {

namespace {

// A timer holds at most about 24 days, so longer retry delays are waited in steps of a day.
constexpr qint64 longestStepSeconds = 86'400;

PreflightFailure mirrorPreviewFailed()
{
    return { QStringLiteral("Mirror preview failed"),
        QStringLiteral("Marrowvale could not check what mirror would delete."),
        QStringLiteral("Nothing was deleted."), false, QStringLiteral("exclamationmark.triangle.fill") };
}

} // namespace

void BackupCoordinator::begin(QueuedRun item)
{
    const RunKey key { item.job.id, item.destination.id };
    putEntry(item, RunPhase::preparing, QStringLiteral("Checking folders"));
    auto ticket = std::make_shared<RunTicket>();
    ticket->confirmedMirror = item.confirmedMirror;
    m_runs[key].ticket = ticket;
    // The task runs on by itself; the ticket is how the controls reach it.
    execute(std::move(item), key, std::move(ticket));
}

QCoro::Task<> BackupCoordinator::execute(QueuedRun item, RunKey key, std::shared_ptr<RunTicket> ticket)
{
    const BackupRunRecord record = makeRecord(item);
    m_history.begin(record);
    if (item.destination.kind == DestinationKind::googleDrive) {
        auto driving = executeGoogle(std::move(item), key, record, std::move(ticket));
        co_await driving;
        co_return;
    }

    const QPointer<BackupCoordinator> self(this);
    const qint64 maxRetries = effectiveRetryLimit(item.destination, settings());
    const qint64 delay = effectiveRetryDelaySeconds(item.destination, settings());

    std::optional<RsyncOutcome> last;
    for (qint64 attempt = 0;; ++attempt) {
        if (ticket->cancelled) {
            finishCancelled(item, key, record, last);
            co_return;
        }
        if (!ticket->paused)
            setProgress(key, RunPhase::preparing, QStringLiteral("Checking folders"));
        auto checking = PreflightService::check(item.job, item.destination, settings(), m_clock.now());
        const auto checked = co_await checking;
        if (!self || ticket->abandoned)
            co_return;
        // A cancel that came during the checks wins over whatever they found.
        if (!checked && !ticket->cancelled) {
            finishPreflightFailure(checked.error(), item, key, record);
            co_return;
        }
        if (checked && checked->mode == BackupMode::mirror && !ticket->confirmedMirror
            && !ticket->cancelled) {
            auto previewing = MirrorPreviewService::preview(*checked);
            const auto preview = co_await previewing;
            if (!self || ticket->abandoned)
                co_return;
            if (!preview && !ticket->cancelled) {
                finishPreflightFailure(mirrorPreviewFailed(), item, key, record);
                co_return;
            }
            if (preview && preview->totalDeletions > 0 && !ticket->cancelled) {
                finishWaitingDeletions(preview->totalDeletions, item, key, record);
                co_return;
            }
        }
        if (ticket->cancelled) {
            if (checked) {
                auto discarding = SnapshotCleanup::discardUnfinished(*checked);
                co_await discarding;
                if (!self || ticket->abandoned)
                    co_return;
            }
            finishCancelled(item, key, record, last);
            co_return;
        }
        const RunPlan& plan = *checked;

        auto transfer = runPlan(plan, key, ticket);
        const RsyncOutcome outcome = co_await transfer;
        if (!self || ticket->abandoned)
            co_return;
        // The outcome is judged as the transfer returned; clearing up after it does not change it.
        const bool cancelled = ticket->cancelled || outcome.cancelled;
        if (!cancelled && (outcome.exitCode == 0 || outcome.exitCode == 24)) {
            auto pruning = SnapshotCleanup::pruneAfterSuccess(plan);
            const std::optional<QString> pruneFailure = co_await pruning;
            if (!self || ticket->abandoned)
                co_return;
            finishSuccess(outcome, pruneFailure, item, key, record);
            co_return;
        }
        auto discarding = SnapshotCleanup::discardUnfinished(plan);
        co_await discarding;
        if (!self || ticket->abandoned)
            co_return;
        if (cancelled) {
            finishCancelled(item, key, record, outcome);
            co_return;
        }
        last = outcome;
        if (attempt >= maxRetries) {
            finishFailure(RunEnding::errorText(outcome), outcome, item, key, record);
            co_return;
        }

        setProgress(key, RunPhase::waiting,
            QStringLiteral("Retrying in %1s (%2/%3)").arg(delay).arg(attempt + 1).arg(maxRetries));
        auto retryWait = waitBeforeRetry(delay, ticket);
        co_await retryWait;
        if (!self || ticket->abandoned)
            co_return;
        if (!ticket->cancelled) {
            auto folderWait = waitForFolder(key, ticket);
            co_await folderWait;
        }
        if (!self || ticket->abandoned)
            co_return;
    }
}

QCoro::Task<> BackupCoordinator::waitBeforeRetry(qint64 delaySeconds, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    ticket->woken = false;
    for (qint64 left = delaySeconds; left > 0 && !ticket->woken && !ticket->cancelled;) {
        const qint64 step = std::min(left, longestStepSeconds);
        Sleep sleep(m_clock, std::chrono::seconds(step));
        ticket->wait = &sleep;
        auto sleeping = sleep.wait();
        co_await sleeping;
        if (!self)
            co_return;
        left -= step;
    }
}

// One writer per folder holds for retries too: while another run is active in this run's folder, the
// retry waits, and the pump wakes it once the folder is free.
QCoro::Task<> BackupCoordinator::waitForFolder(RunKey key, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    while (const auto other = liveWriter(m_runs.value(key).folder, key, true)) {
        setProgress(key, RunPhase::waiting,
            other->jobName + QStringLiteral(" is already writing to ") + other->destinationPath
                + QStringLiteral("."));
        ticket->waitingForFolder = true;
        Sleep sleep(m_clock, std::chrono::seconds(longestStepSeconds));
        ticket->wait = &sleep;
        auto sleeping = sleep.wait();
        co_await sleeping;
        if (!self)
            co_return;
        ticket->waitingForFolder = false;
        if (ticket->cancelled || ticket->abandoned)
            co_return;
    }
}

QCoro::Task<RsyncOutcome> BackupCoordinator::runPlan(
    RunPlan plan, RunKey key, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    try {
        AppPaths::ensureDirectories();
    } catch (const FileSystemError&) {
        // The log then cannot be written; the transfer does not depend on it.
    }
    const auto transfer = std::make_shared<RsyncTransfer>(std::move(plan), logPath(key), m_clock);
    // A pause that came while preparing holds the transfer from its start.
    if (ticket->paused)
        transfer->pause();
    if (const auto it = m_runs.find(key); it != m_runs.end()) {
        it->transfer = transfer;
        it->transferStarted = false;
        it->pendingFile.reset();
        RunProgress& progress = it->entry.progress;
        progress.startedAt = m_clock.now();
        progress.fraction.reset();
        progress.currentFile.reset();
        Q_EMIT runChanged(key);
    }

    // The relay lives until the transfer has returned and is closed before its last news is lost.
    const auto relay
        = TransferRelay::create(this, [this, key](const TransferRelay::News& news) { handle(key, news); });
    auto running = transfer->run(*relay);
    const RsyncOutcome outcome = co_await running;
    if (!self)
        co_return outcome;
    relay->close();
    if (const auto it = m_runs.find(key); it != m_runs.end() && it->transfer == transfer)
        it->transfer.reset();
    co_return outcome;
}

// The start turns a preparing run `running`. A progress sample updates the figures of a transfer in
// progress and never changes the phase: a paused or cancelling run stays so until resume() or its
// ending, whatever samples were still on their way.
void BackupCoordinator::handle(const RunKey& key, const TransferRelay::News& news)
{
    const auto it = m_runs.find(key);
    if (it == m_runs.end() || !it->transfer)
        return;
    RunProgress& progress = it->entry.progress;
    if (news.started) {
        it->transferStarted = true;
        if (progress.phase == RunPhase::preparing) {
            progress.phase = RunPhase::running;
            progress.message.reset();
        }
    }
    if (news.name)
        it->pendingFile = news.name;
    if (news.sample && isActive(progress.phase) && progress.phase != RunPhase::preparing) {
        const RsyncSample& sample = *news.sample;
        progress.fraction = sample.percent;
        progress.bytesTransferred = sample.bytesTransferred;
        progress.bytesPerSecond = sample.bytesPerSecond;
        progress.etaSeconds = sample.etaSeconds;
        if (sample.total && sample.remaining && *sample.remaining >= 0) {
            progress.filesTotal = *sample.total;
            progress.filesCompleted = std::max<qint64>(*sample.total - *sample.remaining, 0);
        }
        if (it->pendingFile) {
            progress.currentFile = it->pendingFile;
            if (progress.phase == RunPhase::running)
                progress.message.reset();
        }
    }
    if (news.started || news.sample)
        Q_EMIT runChanged(key);
}

BackupRunRecord BackupCoordinator::makeRecord(const QueuedRun& item) const
{
    return BackupRunRecord::of(item.job, item.destination, item.trigger, m_clock.now());
}

// "<JOB-ID>-<DESTINATION-ID>-<unix seconds>.log" in the Logs folder, named as each attempt's transfer starts.
QString BackupCoordinator::logPath(const RunKey& key) const
{
    return AppPaths::logsDirectory() + u'/' + uuidText(key.jobID) + u'-' + uuidText(key.destinationID) + u'-'
        + QString::number(m_clock.now().toSecsSinceEpoch()) + QStringLiteral(".log");
}

} // namespace mv
