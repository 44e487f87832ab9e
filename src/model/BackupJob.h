#pragma once

#include "model/BackupDestination.h"
#include "model/BackupSchedule.h"
#include "model/BackupSource.h"
#include "model/Enumerations.h"
#include "model/TransferOptions.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

// One source folder and its ordered destinations. Default values are those a document gets for absent keys;
// create() makes a new job.
struct BackupJob {
    QUuid id;
    QString name = QStringLiteral("Backup");
    BackupSource source;
    QList<BackupDestination> destinations;
    BackupMode mode = BackupMode::incremental; // for destinations without a modeOverride
    bool isEnabled = true;
    BackupSchedule schedule; // for destinations whose usesJobSchedule is true
    TransferOptions options;
    QDateTime createdAt;

    // A new job: a fresh random id, default options, created at `now`.
    static BackupJob create(const QDateTime& now);

    // The latest of each destination's lastSuccess (or, without one, its lastAttempt); none without any.
    std::optional<QDateTime> lastActivity() const;

    bool operator==(const BackupJob&) const = default;
};

} // namespace mv
