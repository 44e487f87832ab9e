#include "model/BackupRunRecord.h"

#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/EffectiveValues.h"

#include <utility>

namespace mv {

namespace {

template <typename T> size_t hashOptional(const std::optional<T>& value, size_t seed)
{
    using ::qHash;
    return value ? qHash(*value, seed) : qHash(false, seed);
}

} // namespace

size_t qHash(const BackupRunRecord& r, size_t seed)
{
    using ::qHash;
    seed = qHashMulti(seed, r.id, r.jobID, r.jobName, r.sourcePath, r.destinationID, r.destinationName,
        r.destinationPath, std::to_underlying(r.mode), std::to_underlying(r.trigger), r.startedAt);
    seed = hashOptional(r.endedAt, seed);
    seed = qHashMulti(seed, std::to_underlying(r.result), r.bytesTransferred, r.filesCopied, r.filesUpdated,
        r.filesDeleted);
    seed = hashOptional(r.errorSummary, seed);
    seed = hashOptional(r.logPath, seed);
    return qHash(r.logTruncated, seed);
}

BackupRunRecord BackupRunRecord::of(const BackupJob& job, const BackupDestination& destination,
    RunTrigger trigger, const QDateTime& startedAt)
{
    BackupRunRecord record;
    record.id = QUuid::createUuid();
    record.jobID = job.id;
    record.jobName = job.name;
    record.sourcePath = job.source.path;
    record.destinationID = destination.id;
    record.destinationName = destination.name;
    record.destinationPath = destination.displayPath();
    record.mode = effectiveMode(job, destination);
    record.trigger = trigger;
    record.startedAt = startedAt;
    return record;
}

} // namespace mv
