#pragma once

#include "model/Enumerations.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace mv {

// Everything one rsync run of one destination needs, resolved: the executable, the whole argument vector,
// the child's environment and the paths. A plan owns copies of all it holds, so it is copied freely.
struct RunPlan {
    QUuid jobID;
    QString jobName;
    QUuid destinationID;
    QString destinationName;
    QString sourcePath; // normalised, without a trailing "/"
    BackupMode mode = BackupMode::incremental; // the destination's modeOverride, else the job's mode
    QString executable; // absolute path of rsync
    QStringList arguments; // rsync's argument vector, without the executable
    QMap<QString, QString> environment; // the child's whole environment
    QString targetPath; // where rsync writes: the new snapshot folder, else the destination folder (for SSH
                        // the remote path, without user and host)
    bool targetIsRemote = false;
    std::optional<QString> snapshotPath; // the new snapshot folder of a versioned run
    // Whether building this plan made the snapshot folder: one already there (a run in the same second, a
    // clock set back) may be a completed snapshot, which a failed attempt must never discard.
    bool createdSnapshotFolder = false;
    qint64 retention = 1; // the destination's retention, at least 1
    DestinationKind destinationKind = DestinationKind::local;
    bool isSSH = false;
    QString sshHost; // the destination's fields, copied as stored
    QString sshUser;
    qint64 sshPort = 22;
    QString sshIdentity;
    // An SSH run whose key passphrase is in the keyring, looked up once for the attempt: the ssh options,
    // the askpass variables and the server checks all follow this one answer.
    bool usesStoredPassphrase = false;
    bool sourceChangedWhileCopying = false;

    bool operator==(const RunPlan&) const = default;
};

} // namespace mv
