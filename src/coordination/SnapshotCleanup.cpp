#include "coordination/SnapshotCleanup.h"

#include "coordination/CoordinationLog.h"
#include "engine/VersionedStore.h"
#include "platform/DescribedError.h"
#include "platform/WorkerPool.h"

#include <QFileInfo>
#include <QtConcurrent>

#include <qcoro/qcorofuture.h>

namespace mv::SnapshotCleanup {

namespace {

// What a failed removal says; exceptions never leave the worker thread.
template <typename Removal> std::optional<QString> failureOf(Removal removal)
{
    try {
        removal();
        return std::nullopt;
    } catch (const std::exception&) {
        return describeError(std::current_exception());
    }
}

bool makesLocalSnapshots(const RunPlan& plan)
{
    return plan.mode == BackupMode::versioned && !plan.targetIsRemote && plan.snapshotPath;
}

} // namespace

QCoro::Task<std::optional<QString>> pruneAfterSuccess(RunPlan plan)
{
    if (!makesLocalSnapshots(plan))
        co_return std::nullopt;
    auto pruning = QtConcurrent::run(&WorkerPool::instance(), [plan]() -> std::optional<QString> {
        // A version from now on: counted by the pruning below, and kept by the next run.
        if (const std::optional<QString> unfinished = VersionedStore::finishSnapshot(*plan.snapshotPath))
            return unfinished;
        const auto pruned
            = VersionedStore::prune(QFileInfo(*plan.snapshotPath).path(), plan.retention, plan.snapshotPath);
        return pruned ? std::nullopt : std::optional(pruned.error());
    });
    co_return co_await pruning;
}

QCoro::Task<> discardUnfinished(RunPlan plan)
{
    if (!makesLocalSnapshots(plan))
        co_return;
    auto discarding = QtConcurrent::run(&WorkerPool::instance(),
        [plan] { return failureOf([&plan] { VersionedStore::discardUnfinishedSnapshot(plan); }); });
    const std::optional<QString> failure = co_await discarding;
    if (failure)
        qCWarning(coordinationLog).noquote() << "An unfinished snapshot could not be removed:" << *failure;
}

} // namespace mv::SnapshotCleanup
