#pragma once

#include "model/BackupSchedule.h"
#include "model/Enumerations.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace mv {

// One place a job's source is copied to, with its own schedule choice, overrides and last-run state.
// Default values are those a document gets for absent keys; create() makes a new destination.
struct BackupDestination {
    QUuid id;
    QString name = QStringLiteral("Destination");
    DestinationKind kind = DestinationKind::local;
    QString path; // local, network: absolute folder path; ssh: the path on the server
    QString host; // ssh
    QString user; // ssh; may be empty
    qint64 port = 22;
    QString identityFile; // ssh; empty when none
    std::optional<QByteArray> bookmark;
    bool usesJobSchedule = false;
    BackupSchedule schedule; // applies only when usesJobSchedule is false
    std::optional<BackupMode> modeOverride;
    qint64 retention = 5; // versioned snapshots kept
    std::optional<qint64> retryLimit;
    std::optional<qint64> retryDelaySeconds;
    bool isEnabled = true;
    std::optional<QString> volumeIdentity;
    std::optional<QString> volumeName;
    QString googleFolderName;
    std::optional<QString> googleFolderID;
    std::optional<QString> googleAccount;
    std::optional<QDateTime> lastAttempt;
    std::optional<QDateTime> lastSuccess;
    std::optional<RunResult> lastResult;
    std::optional<QString> lastError;
    std::optional<QDateTime> nextRun;
    QDateTime createdAt;

    // A new destination: a fresh random id, created at `now`.
    static BackupDestination create(const QDateTime& now);

    // How views, history records and notifications name the target: the path, user@host:path, or
    // "Google Drive · <account> / <folder>".
    QString displayPath() const;
    // The name of the Drive folder the destination writes to below the application's folder: the chosen
    // folder name, else the destination's name.
    QString driveFolderName() const;

    bool operator==(const BackupDestination&) const = default;
};

} // namespace mv
