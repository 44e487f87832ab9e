#include "coordination/RunEnding.h"

#include "engine/PreflightFailure.h"
#include "engine/RsyncOutcome.h"
#include "engine/RsyncOutputParser.h"
#include "model/Format.h"

#include <algorithm>

namespace mv {

namespace {

// When the connection failed, rsync says only what it saw ("Broken pipe", "connection unexpectedly
// closed"); ssh's own line says why ("Timeout, server … not responding.").
QString leadingError(const QStringList& errors)
{
    const QString& first = errors.first();
    const bool connectionLost = first.contains(u"Broken pipe", Qt::CaseInsensitive)
        || first.contains(u"connection unexpectedly closed", Qt::CaseInsensitive);
    if (connectionLost) {
        for (const QString& error : errors) {
            if (RsyncOutputParser::isSSHReason(error))
                return error.trimmed();
        }
    }
    return first.trimmed();
}

const QString changedWhileCopying
    = QStringLiteral("Some source files changed while copying. They will be picked up next time.");

// The row's counters and log from an rsync outcome; the byte count is the caller's.
void takeCounters(BackupRunRecord& record, const RsyncOutcome& outcome, qint64 bytes)
{
    record.bytesTransferred = bytes;
    record.filesCopied = outcome.stats.filesTransferred;
    record.filesUpdated = outcome.stats.filesUpdated;
    record.filesDeleted = outcome.stats.filesDeleted;
    record.logPath = outcome.logPath;
    record.logTruncated = outcome.logTruncated;
}

} // namespace

RunEnding RunEnding::concluding(BackupRunRecord record, const QDateTime& now, RunResult result,
    std::optional<QString> summary, RunPhase phase, QString message)
{
    record.endedAt = now;
    record.result = result;
    record.errorSummary = summary;
    return { std::move(record), std::move(summary), phase, std::move(message), std::nullopt, 0,
        std::nullopt };
}

RunEnding RunEnding::success(const RsyncOutcome& outcome, BackupRunRecord record, const QDateTime& now)
{
    std::optional<QString> summary;
    if (outcome.exitCode == 24)
        summary = changedWhileCopying;
    else if (!outcome.warnings.isEmpty())
        summary = outcome.warnings.first();
    takeCounters(record, outcome, std::max(outcome.stats.transferredBytes, outcome.stats.bytesSent));
    RunEnding result = concluding(std::move(record), now, RunResult::success, summary, RunPhase::completed,
        summary.value_or(QStringLiteral("Backup complete")));
    // rsync's transferred count already includes the updated files; adding them again would count each
    // changed file twice.
    result.filesCompleted = outcome.stats.filesTransferred;
    return result;
}

RunEnding RunEnding::failure(const QString& message, const RsyncOutcome& outcome, const QString& jobName,
    BackupRunRecord record, const QDateTime& now)
{
    takeCounters(record, outcome, outcome.stats.transferredBytes);
    RunEnding result
        = concluding(std::move(record), now, RunResult::failed, message, RunPhase::failed, message);
    result.issue = CoordinatorIssue::make(jobName + QStringLiteral(" failed"), message,
        QStringLiteral("Open Activity for the full log. Files already copied were kept."),
        QStringLiteral("exclamationmark.triangle.fill"));
    return result;
}

RunEnding RunEnding::cancelled(
    const std::optional<RsyncOutcome>& outcome, BackupRunRecord record, const QDateTime& now)
{
    const RsyncOutcome stopped = outcome.value_or(RsyncOutcome {}); // nothing counted before a transfer
    takeCounters(record, stopped, stopped.stats.transferredBytes);
    RunEnding result = concluding(std::move(record), now, RunResult::cancelled,
        QStringLiteral("Cancelled by the user. Partial files were kept."), RunPhase::cancelled,
        QStringLiteral("Cancelled. Files already copied were kept."));
    result.lastError = QStringLiteral("Cancelled");
    return result;
}

RunEnding RunEnding::preflightFailure(
    const PreflightFailure& failure, BackupRunRecord record, const QDateTime& now)
{
    RunEnding result = concluding(
        std::move(record), now, RunResult::failed, failure.combined(), RunPhase::waiting, failure.title);
    result.issue = CoordinatorIssue::from(failure);
    return result;
}

RunEnding RunEnding::waitingForDeletions(
    qint64 count, const QString& destinationName, BackupRunRecord record, const QDateTime& now)
{
    const QString text = waitingText(count, destinationName);
    RunEnding result = concluding(std::move(record), now, RunResult::skipped, text, RunPhase::waiting,
        QStringLiteral("Needs confirmation"));
    result.issue = CoordinatorIssue::make(QStringLiteral("Mirror needs confirmation"), text,
        QStringLiteral("Open the dashboard, choose Mirror preview, then run again."),
        QStringLiteral("exclamationmark.shield"));
    return result;
}

QString RunEnding::waitingText(qint64 count, const QString& destinationName)
{
    return QStringLiteral("Mirror would delete ") + Format::grouped(count) + QStringLiteral(" items at ")
        + destinationName + QStringLiteral(". Open the dashboard to review and confirm.");
}

bool RunEnding::deservesSuccessNotice(double durationSeconds, qint64 bytes)
{
    return durationSeconds > 30.0 || bytes >= 50'000'001;
}

QString RunEnding::errorText(const RsyncOutcome& outcome)
{
    if (!outcome.errors.isEmpty())
        return leadingError(outcome.errors);
    switch (outcome.exitCode) {
    case 5:
        return QStringLiteral("rsync could not start the remote program (rsync code 5).");
    case 10:
        return QStringLiteral("The connection to the server was lost (rsync code 10).");
    case 11:
        return QStringLiteral("The destination ran out of space (rsync code 11).");
    case 12:
        return QStringLiteral("A protocol error stopped the transfer (rsync code 12).");
    case 20:
        return QStringLiteral("The transfer was interrupted (rsync code 20).");
    case 23:
        return QStringLiteral("Some files could not be transferred (rsync code 23).");
    case 24:
        return QStringLiteral("Some source files changed while copying.");
    default:
        return outcome.exitCodeText();
    }
}

} // namespace mv
