#pragma once

#include "coordination/CoordinatorIssue.h"
#include "model/BackupRunRecord.h"
#include "model/Enumerations.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv {

class PreflightFailure;
struct GoogleDriveOutcome;
struct RsyncOutcome;

// Everything one ending of a backup run writes, worked out before any of it is written: the completed
// history row, the destination's new status, how the live entry ends, and the issue it raises.
struct RunEnding {
    BackupRunRecord record; // the run's row, completed: end time, result, counters, summary, log
    std::optional<QString> lastError; // the destination's new lastError
    RunPhase phase = RunPhase::completed; // the live entry's final phase
    QString message; // and its final message
    std::optional<CoordinatorIssue> issue;
    qint64 filesCompleted = 0; // shown on a completed entry
    // The Drive folder and account a Drive run wrote to, stored into the destination when present.
    struct DriveFolder {
        QString folderID;
        QString account;
    };
    std::optional<DriveFolder> driveFolder;

    bool succeeded() const { return record.result == RunResult::success; }

    // rsync ended with status 0 or 24.
    static RunEnding success(const RsyncOutcome& outcome, BackupRunRecord record, const QDateTime& now);
    // The last allowed attempt failed with `message`.
    static RunEnding failure(const QString& message, const RsyncOutcome& outcome, const QString& jobName,
        BackupRunRecord record, const QDateTime& now);
    // Cancelled by the user, with the outcome of the attempt that was stopped when there was one.
    static RunEnding cancelled(
        const std::optional<RsyncOutcome>& outcome, BackupRunRecord record, const QDateTime& now);
    // A Drive upload ended without an error message; its warnings do not make it fail.
    static RunEnding googleSuccess(const GoogleDriveOutcome& outcome, const DriveFolder& folder,
        BackupRunRecord record, const QDateTime& now);
    // The last allowed Drive attempt failed with `message`.
    static RunEnding googleFailure(const QString& message, const GoogleDriveOutcome& outcome,
        const DriveFolder& folder, const QString& jobName, BackupRunRecord record, const QDateTime& now);
    // A Drive run cancelled by the user, with the outcome of the upload that was stopped when there was one.
    static RunEnding googleCancelled(
        const std::optional<GoogleDriveOutcome>& outcome, BackupRunRecord record, const QDateTime& now);
    // The run could not start.
    static RunEnding preflightFailure(
        const PreflightFailure& failure, BackupRunRecord record, const QDateTime& now);
    // A mirror run that would delete `count` items waits for the user's confirmation.
    static RunEnding waitingForDeletions(
        qint64 count, const QString& destinationName, BackupRunRecord record, const QDateTime& now);

    // The row ended now with `result` and `summary` (also the destination's lastError); the entry ends in
    // `phase` showing `message`. The other endings start from this.
    static RunEnding concluding(BackupRunRecord record, const QDateTime& now, RunResult result,
        std::optional<QString> summary, RunPhase phase, QString message);

    // "Mirror would delete <count> items at <destination>. Open the dashboard to review and confirm."
    static QString waitingText(qint64 count, const QString& destinationName);
    // A success is worth a desktop notice when it took more than 30 s or copied more than 50,000,000 bytes.
    static bool deservesSuccessNotice(double durationSeconds, qint64 bytes);
    // The failure message of one rsync attempt: its first error line, else a sentence for its exit status.
    static QString errorText(const RsyncOutcome& outcome);
};

} // namespace mv
