#pragma once

#include "engine/PreflightFailure.h"
#include "engine/RunPlan.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"

#include <QDateTime>
#include <QString>

#include <expected>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv::PreflightService {

// The checks made before every rsync run to a drive, a share or an SSH server. They stop at the first
// problem, before anything is written there, and otherwise give the run's plan.

inline constexpr char writeTestFileName[] = ".marrowVale-write-test";
// Below this many free bytes a destination counts as nearly full.
inline constexpr qint64 minimumFreeBytes = 10 * 1024 * 1024;

// The plan of the run, or why it cannot start. `now` names the snapshot of a versioned run. The file-system
// checks and the rsync version probe run on a worker thread.
QCoro::Task<std::expected<RunPlan, PreflightFailure>> check(
    BackupJob job, BackupDestination destination, AppSettings settings, QDateTime now);

// `path` itself or the nearest of its parents that exists, testing at most 12 paths; none past that, or
// once the root is reached without finding one.
std::optional<QString> nearestExistingAncestor(const QString& path);

// Writes and removes a small file in `folder`; the failure "Destination is not writable" when that fails.
std::optional<PreflightFailure> writeTest(const QString& folder);

} // namespace mv::PreflightService
