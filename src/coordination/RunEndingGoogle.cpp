#include "coordination/RunEnding.h"

#include "drive/GoogleDriveOutcome.h"

// The endings of a Drive run. Files already in Drive stay there whatever the ending, so the texts say so.

namespace mv {

namespace {

// The row's counters and log from a Drive outcome. Drive replaces a changed file whole, so every upload
// counts as a copy and none as an update.
void takeCounters(BackupRunRecord& record, const GoogleDriveOutcome& outcome)
{
    record.bytesTransferred = outcome.bytes;
    record.filesCopied = outcome.uploaded;
    record.filesDeleted = outcome.deleted;
    record.logPath = outcome.logPath;
}

} // namespace

RunEnding RunEnding::googleSuccess(const GoogleDriveOutcome& outcome, const DriveFolder& folder,
    BackupRunRecord record, const QDateTime& now)
{
    takeCounters(record, outcome);
    record.filesUpdated = 0;
    const std::optional<QString> firstWarning
        = outcome.warnings.isEmpty() ? std::nullopt : std::optional(outcome.warnings.first());
    RunEnding result = concluding(std::move(record), now, RunResult::success, firstWarning,
        RunPhase::completed, firstWarning.value_or(QStringLiteral("Google Drive backup complete")));
    result.filesCompleted = outcome.skipped + outcome.uploaded;
    result.driveFolder = folder;
    return result;
}

RunEnding RunEnding::googleFailure(const QString& message, const GoogleDriveOutcome& outcome,
    const DriveFolder& folder, const QString& jobName, BackupRunRecord record, const QDateTime& now)
{
    takeCounters(record, outcome);
    RunEnding result
        = concluding(std::move(record), now, RunResult::failed, message, RunPhase::failed, message);
    result.issue = CoordinatorIssue::make(jobName + QStringLiteral(" could not upload"), message,
        QStringLiteral("Files already uploaded stay in Google Drive. Open Activity for the log."),
        QStringLiteral("cloud"));
    result.driveFolder = folder;
    return result;
}

RunEnding RunEnding::googleCancelled(
    const std::optional<GoogleDriveOutcome>& outcome, BackupRunRecord record, const QDateTime& now)
{
    takeCounters(record, outcome.value_or(GoogleDriveOutcome {})); // nothing counted before an upload
    RunEnding result = concluding(std::move(record), now, RunResult::cancelled,
        QStringLiteral("Cancelled by the user. Files already uploaded stay in Google Drive."),
        RunPhase::cancelled, QStringLiteral("Cancelled. Files already uploaded were kept."));
    result.lastError = QStringLiteral("Cancelled");
    return result;
}

} // namespace mv
