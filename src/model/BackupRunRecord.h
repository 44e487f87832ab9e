#pragma once

#include "model/Enumerations.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

struct BackupDestination;
struct BackupJob;

// One run as the history keeps it: written when a backup, restore or missed schedule starts, completed when
// it ends.
struct BackupRunRecord {
    QUuid id;
    QUuid jobID;
    QString jobName; // a restore records the job's name followed by " restore"
    QString sourcePath;
    QUuid destinationID;
    QString destinationName;
    QString destinationPath; // the location as the run used it
    BackupMode mode = BackupMode::incremental;
    RunTrigger trigger = RunTrigger::manual;
    QDateTime startedAt;
    std::optional<QDateTime> endedAt; // none while running
    RunResult result = RunResult::running;
    qint64 bytesTransferred = 0;
    qint64 filesCopied = 0;
    qint64 filesUpdated = 0;
    qint64 filesDeleted = 0;
    std::optional<QString> errorSummary;
    std::optional<QString> logPath;
    bool logTruncated = false;

    // A new record of a run of `destination` of `job`: a fresh id, the names and paths as shown, the mode
    // the destination runs in; still running.
    static BackupRunRecord of(const BackupJob& job, const BackupDestination& destination, RunTrigger trigger,
        const QDateTime& startedAt);

    friend bool operator==(const BackupRunRecord&, const BackupRunRecord&) = default;
};

size_t qHash(const BackupRunRecord& record, size_t seed = 0);

} // namespace mv
