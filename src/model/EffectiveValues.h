#pragma once

#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/BackupSchedule.h"

namespace mv {

// The values a destination runs with, derived here once so that every user derives them alike.

// The destination's modeOverride, else the job's mode.
BackupMode effectiveMode(const BackupJob& job, const BackupDestination& destination);

// The job's schedule when the destination uses it, else the destination's own.
const BackupSchedule& effectiveSchedule(const BackupJob& job, const BackupDestination& destination);

// The destination's retryLimit, else the setting retryAttempts, clamped to 0...5.
qint64 effectiveRetryLimit(const BackupDestination& destination, const AppSettings& settings);

// The destination's retryDelaySeconds, else the setting, at least 5 seconds.
qint64 effectiveRetryDelaySeconds(const BackupDestination& destination, const AppSettings& settings);

} // namespace mv
