#pragma once

#include "drive/GoogleLocalFile.h"
#include "model/Enumerations.h"

#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

namespace mv {

// One planned Drive backup of one job to one destination, from planning to the end of its run.
struct GoogleDrivePlan {
    QUuid jobID;
    QString jobName;
    QUuid destinationID;
    QString destinationName;
    BackupMode mode = BackupMode::incremental; // the effective mode; never versioned
    QString sourcePath; // the source folder as checked
    QString account; // the signed-in e-mail, or "Google account"
    QString folderID; // the Drive folder every relative path is placed below
    QString folderName;
    std::vector<GoogleLocalFile> files; // in path order
    QStringList directories; // parents before children
    qint64 totalBytes = 0; // sum of the files' sizes
    QStringList warnings; // from the scan, in the order met
    // Relative paths of source folders and entries that could not be read. Nothing of them was backed up,
    // so their Drive copies, and everything in Drive at or below these paths, must be left in place.
    QStringList unreadable;
    // A valid access token; each call may refresh it.
    std::function<QCoro::Task<QString>()> tokenProvider;
    // Drops the cached access token so the next tokenProvider call gets a new one; empty when there is none.
    std::function<QCoro::Task<>()> tokenRefresh;
    // The source's bookmarked location whose access planning started; the plan's holder ends it when done.
    std::optional<QString> scopedURL;
};

} // namespace mv
