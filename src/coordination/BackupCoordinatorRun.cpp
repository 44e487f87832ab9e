#include "coordination/BackupCoordinator.h"

#include "coordination/RunEnding.h"
#include "coordination/RunPhaseGroups.h"
#include "coordination/SnapshotCleanup.h"
#include "drive/GoogleDriveOutcome.h"
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

// A started run's road: its checks, its transfer and its retries, up to the one ending it reaches. The
// attempt loop, its waits and the transfer's relay serve the Drive road too (BackupCoordinatorGoogle.cpp).

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
    ticket->confirmedPlan = item.confirmedPlan;
    m_runs[key].ticket = ticket;
    // The task runs on by itself; the ticket is how the controls reach it.
    execute(std::move(item), key, std::move(ticket));
}

QCoro::Task<> BackupCoordinator::execute(QueuedRun item, RunKey key, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    const BackupRunRecord record = makeRecord(item);
    m_history.begin(record);
    const bool toDrive = item.destination.kind == DestinationKind::googleDrive;
    const qint64 maxRetries = effectiveRetryLimit(item.destination, settings());
    const qint64 delay = effectiveRetryDelaySeconds(item.destination, settings());

    // What a cancel records: the counts of the last failed attempt, none before the first.
    std::function<void()> endCancelled = [this, item, key, record, toDrive] {
        if (toDrive)
            finishGoogleCancelled(std::nullopt, item, key, record);
        else
            finishCancelled(item, key, record, std::nullopt);
    };
    for (qint64 attempt = 0;; ++attempt) {
        if (ticket->cancelled) {
            endCancelled();
            co_return;
        }
        auto attempting
            = toDrive ? attemptGoogle(item, key, record, ticket) : attemptRsync(item, key, record, ticket);
        const Attempt result = co_await attempting;
        if (!self || ticket->abandoned)
            co_return;
        switch (result.end) {
        case Attempt::End::concluded:
            co_return;
        case Attempt::End::cancelled:
            (result.finishCancelled ? result.finishCancelled : endCancelled)();
            co_return;
        case Attempt::End::succeeded:
            result.finish();
            co_return;
        case Attempt::End::failed:
            break;
        }
        endCancelled = result.finishCancelled;
        if (attempt >= maxRetries) {
            result.finish();
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

QCoro::Task<BackupCoordinator::Attempt> BackupCoordinator::attemptRsync(
    QueuedRun item, RunKey key, BackupRunRecord record, std::shared_ptr<RunTicket> ticket)
{
    const QPointer<BackupCoordinator> self(this);
    const Attempt concluded;
    if (!ticket->paused)
        setProgress(key, RunPhase::preparing, QStringLiteral("Checking folders"));
    auto checking = PreflightService::check(item.job, item.destination, settings(), m_clock.now());
    const auto checked = co_await checking;
    if (!self || ticket->abandoned)
        co_return concluded;
    // A cancel that came during the checks wins over whatever they found.
    if (!checked && !ticket->cancelled) {
        finishPreflightFailure(checked.error(), item, key, record);
        co_return concluded;
    }
    if (checked && checked->mode == BackupMode::mirror && !ticket->confirmedMirror && !ticket->cancelled) {
        auto previewing = MirrorPreviewService::preview(*checked);
        const auto preview = co_await previewing;
        if (!self || ticket->abandoned)
            co_return concluded;
        if (!preview && !ticket->cancelled) {
            finishPreflightFailure(mirrorPreviewFailed(), item, key, record);
            co_return concluded;
        }
        if (preview && preview->totalDeletions > 0 && !ticket->cancelled) {
            finishWaitingDeletions(preview->totalDeletions, item, key, record);
            co_return concluded;
        }
    }
    if (ticket->cancelled) {
        if (checked) {
            auto discarding = SnapshotCleanup::discardUnfinished(*checked);
            co_await discarding;
            if (!self || ticket->abandoned)
                co_return concluded;
        }
        co_return Attempt { Attempt::End::cancelled, {}, {} };
    }
    const RunPlan& plan = *checked;

    try {
        AppPaths::ensureDirectories();
    } catch (const FileSystemError&) {
        // The log then cannot be written; the transfer does not depend on it.
    }
    auto transferring = runTransfer<RsyncOutcome>(key,
        std::make_shared<RsyncTransfer>(plan, logPath(key), m_clock), ticket, std::nullopt, std::nullopt);
    const std::optional<RsyncOutcome> transferred = co_await transferring;
    if (!self || !transferred)
        co_return concluded;
    const RsyncOutcome& outcome = *transferred;

    // The outcome is judged as the transfer returned; clearing up after it does not change it.
    const bool cancelled = ticket->cancelled || outcome.cancelled;
    if (!cancelled && (outcome.exitCode == 0 || outcome.exitCode == 24)) {
        auto pruning = SnapshotCleanup::pruneAfterSuccess(plan);
        const std::optional<QString> pruneFailure = co_await pruning;
        if (!self || ticket->abandoned)
            co_return concluded;
        co_return Attempt { Attempt::End::succeeded,
            [this, outcome, pruneFailure, item, key, record] {
                finishSuccess(outcome, pruneFailure, item, key, record);
            },
            {} };
    }
    auto discarding = SnapshotCleanup::discardUnfinished(plan);
    co_await discarding;
    if (!self || ticket->abandoned)
        co_return concluded;
    co_return Attempt { cancelled ? Attempt::End::cancelled : Attempt::End::failed,
        [this, outcome, item, key, record] {
            finishFailure(RunEnding::errorText(outcome), outcome, item, key, record);
        },
        [this, outcome, item, key, record] { finishCancelled(item, key, record, outcome); } };
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

template <class Outcome>
QCoro::Task<std::optional<Outcome>> BackupCoordinator::runTransfer(RunKey key,
    std::shared_ptr<TransferOf<Outcome>> transfer, std::shared_ptr<RunTicket> ticket,
    std::optional<QString> startedMessage, std::optional<qint64> filesTotal)
{
    const QPointer<BackupCoordinator> self(this);
    const auto relay = startTransfer(key, transfer, *ticket, std::move(startedMessage), filesTotal);
    auto running = transfer->run(*relay);
    Outcome outcome = co_await running;
    if (!self)
        co_return std::nullopt;
    endTransfer(key, transfer, *relay);
    if (ticket->abandoned)
        co_return std::nullopt;
    co_return outcome;
}

template QCoro::Task<std::optional<RsyncOutcome>> BackupCoordinator::runTransfer(RunKey,
    std::shared_ptr<TransferOf<RsyncOutcome>>, std::shared_ptr<RunTicket>, std::optional<QString>,
    std::optional<qint64>);
template QCoro::Task<std::optional<GoogleDriveOutcome>> BackupCoordinator::runTransfer(RunKey,
    std::shared_ptr<TransferOf<GoogleDriveOutcome>>, std::shared_ptr<RunTicket>, std::optional<QString>,
    std::optional<qint64>);

std::shared_ptr<TransferRelay> BackupCoordinator::startTransfer(const RunKey& key,
    std::shared_ptr<RunControlling> transfer, const RunTicket& ticket, std::optional<QString> startedMessage,
    std::optional<qint64> filesTotal)
{
    // A pause that came while preparing holds the transfer from its start.
    if (ticket.paused)
        transfer->pause();
    if (const auto it = m_runs.find(key); it != m_runs.end()) {
        it->transfer = std::move(transfer);
        it->transferStarted = false;
        it->startedMessage = std::move(startedMessage);
        it->pendingFile.reset();
        RunProgress& progress = it->entry.progress;
        progress.startedAt = m_clock.now();
        progress.fraction.reset();
        if (filesTotal) {
            progress.fraction = 0;
            progress.filesTotal = *filesTotal;
        }
        progress.currentFile.reset();
        Q_EMIT runChanged(key);
    }
    // The relay is kept by the caller until the transfer has returned.
    return TransferRelay::create(this, [this, key](const TransferRelay::News& news) { handle(key, news); });
}

void BackupCoordinator::endTransfer(
    const RunKey& key, const std::shared_ptr<RunControlling>& transfer, TransferRelay& relay)
{
    relay.close();
    // Until the next transfer starts, a resumed run is preparing again (its retry checks or plans anew).
    if (const auto it = m_runs.find(key); it != m_runs.end() && it->transfer == transfer) {
        it->transfer.reset();
        it->transferStarted = false;
    }
}

// The start turns a preparing run `running`. A progress sample updates the figures of a transfer in
// progress and never changes the phase: a paused or cancelling run stays so until resume() or its
// ending, whatever samples were still on their way. The relay hands over at most one batch every
// TransferRelay::updateInterval, which keeps the views' updates calm on both roads.
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
            progress.message = it->startedMessage;
        }
        // On its own, so the start shows even when the first figures came with it.
        Q_EMIT runChanged(key);
    }
    if (news.name)
        it->pendingFile = news.name;
    if (!news.sample)
        return;
    if (isActive(progress.phase) && progress.phase != RunPhase::preparing) {
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
