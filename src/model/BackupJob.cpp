#include "model/BackupJob.h"

namespace mv {

BackupJob BackupJob::create(const QDateTime& now)
{
    BackupJob job;
    job.id = QUuid::createUuid();
    job.createdAt = now.toUTC();
    return job;
}

std::optional<QDateTime> BackupJob::lastActivity() const
{
    std::optional<QDateTime> latest;
    for (const BackupDestination& destination : destinations) {
        // A destination's last success speaks for it even when a later attempt failed.
        const std::optional<QDateTime> activity
            = destination.lastSuccess ? destination.lastSuccess : destination.lastAttempt;
        if (activity && (!latest || *activity > *latest))
            latest = activity;
    }
    return latest;
}

} // namespace mv
