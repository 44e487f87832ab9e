#pragma once

#include "drive/GoogleDrivePlan.h"
#include "drive/GoogleProgressSnapshot.h"
#include "drive/RemoteTable.h"
#include "google/GoogleDriveItem.h"
#include "google/UploadedFile.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

#include <qcoro/qcorotask.h>

namespace mv {

class Clock;
class GoogleDriveRunController;
class GoogleDriveUploader;
class GoogleProgressMeter;
class GoogleResumeStore;
class GoogleRunLog;

namespace GoogleDriveEngine {

class DriveFolders;
struct RunTally;

// The second pass over a run's files: each file not resumed is skipped when Drive holds the same size and
// MD5 at its path, and uploaded otherwise (over the Drive file at that path, when there is one). Both are
// recorded in the resume store and reported, except an upload whose file changed while it was read or
// whose Drive digest differs from the bytes read: that file gets a warning in the tally and no record.
// Everything it is given must outlive run().
class TransferPass {
public:
    using ProgressHandler = std::function<void(const GoogleProgressSnapshot&)>;

    struct Context {
        const GoogleDrivePlan& plan;
        const RemoteTable& remoteFiles;
        const DriveFolders& folders;
        const QSet<QString>& resumedKeys;
        GoogleResumeStore& store;
        GoogleDriveUploader& uploader;
        GoogleDriveRunController& controller;
        Clock& clock; // paces the pause waits
        GoogleProgressMeter& meter;
        GoogleRunLog& log;
        const ProgressHandler& onProgress;
        RunTally& tally;
    };

    explicit TransferPass(Context context);

    // Goes through the plan's files in order, waiting before each while the run is paused. Throws
    // GoogleDriveError::cancelled() when the run is cancelled before a file, the "No Drive folder" error for
    // a file whose folder Drive lacks, and whatever an upload throws. The tally keeps what was done.
    QCoro::Task<> run();

private:
    QCoro::Task<> awaitTurn();
    QCoro::Task<> transfer(const GoogleLocalFile& file);
    QCoro::Task<UploadedFile> upload(const GoogleLocalFile& file, const QString& key, const QString& parentID,
        std::optional<QString> existingID);
    void report(const QString& relativePath);

    Context m_context;
};

} // namespace GoogleDriveEngine

} // namespace mv
