#pragma once

#include "engine/RunPlan.h"

#include <QString>

#include <optional>

#include <qcoro/qcorotask.h>

// Removing snapshot trees unlinks every file they hold, which takes long on a slow disk: both steps run on
// the thread pool while the main thread stays free.
namespace mv::SnapshotCleanup {

// After a versioned success on a drive or share: notes the new snapshot as finished, then removes the
// snapshots beyond the plan's retention, never the new one. Answers why the snapshot stays unfinished or
// why nothing was removed when the folder refused it, else none.
QCoro::Task<std::optional<QString>> pruneAfterSuccess(RunPlan plan);

// After a versioned attempt that failed or was cancelled: removes the partial snapshot it made, so it can
// never count as a kept version. A snapshot that cannot be removed is logged and left.
QCoro::Task<> discardUnfinished(RunPlan plan);

} // namespace mv::SnapshotCleanup
