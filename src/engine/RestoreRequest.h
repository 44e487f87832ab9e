#pragma once

#include <QString>
#include <QStringList>
#include <QUuid>

namespace mv {

// What the person chose in the restore browser.
struct RestoreRequest {
    QUuid jobID;
    QUuid destinationID;
    QString rootPath; // the backup folder restored from: a destination folder or one snapshot folder
    QStringList items; // absolute paths, each inside rootPath or equal to it
    QString targetBase; // the chosen folder; used only when useOriginalLocations is false
    bool useOriginalLocations = true; // every item goes back under the job's source folder
    bool overwriteExisting = false; // false: files already at the target are left alone
    QString jobName;
    QString sourcePath; // the job's source folder
    QString destinationName;

    bool operator==(const RestoreRequest&) const = default;
};

} // namespace mv
