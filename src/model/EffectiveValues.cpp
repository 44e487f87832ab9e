#include "model/EffectiveValues.h"

#include <algorithm>

namespace mv {

BackupMode effectiveMode(const BackupJob& job, const BackupDestination& destination)
{
    return destination.modeOverride.value_or(job.mode);
}

const BackupSchedule& effectiveSchedule(const BackupJob& job, const BackupDestination& destination)
{
    return destination.usesJobSchedule ? job.schedule : destination.schedule;
}

qint64 effectiveRetryLimit(const BackupDestination& destination, const AppSettings& settings)
{
    return std::clamp<qint64>(destination.retryLimit.value_or(settings.retryAttempts), 0, 5);
}

qint64 effectiveRetryDelaySeconds(const BackupDestination& destination, const AppSettings& settings)
{
    return std::max<qint64>(destination.retryDelaySeconds.value_or(settings.retryDelaySeconds), 5);
}

} // namespace mv
