#include "drive/BackupRun.h"

#include "drive/DriveFolders.h"
#include "drive/DrivePreview.h"
#include "drive/GoogleDriveRunController.h"
#include "drive/GoogleProgressMeter.h"
#include "drive/GoogleRunLog.h"
#include "drive/RemoteIndex.h"
#include "drive/ResumePass.h"
#include "drive/RunTally.h"
#include "drive/TransferPass.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleResumeStore.h"
#include "platform/Clock.h"
#include "platform/DescribedError.h"

namespace mv::GoogleDriveEngine {

namespace {

// Moves to the Drive trash every Drive file the source no longer has, checking for a cancel before each.
// Answers the warning that says how many there were.
QCoro::Task<QString> removeExtras(const GoogleDrivePlan& plan, const RemoteIndex& index,
    GoogleDriveClient& client, GoogleDriveRunController& controller, GoogleRunLog& log, RunTally& tally)
{
    const QStringList extras = extraFiles(plan, index);
    for (const QString& path : extras) {
        if (controller.cancelled())
            throw GoogleDriveError::cancelled();
        auto trashing = client.trash(index.files.value(path).id);
        co_await trashing;
        ++tally.deleted;
        log.append(QStringLiteral("TRASH ") + path);
    }
    co_return QStringLiteral("Removed %1 Drive files not present in the source.").arg(extras.size());
}

GoogleProgressSnapshot finalReport(const GoogleDrivePlan& plan, double bytesPerSecond)
{
    const qsizetype fileCount = qsizetype(plan.files.size());
    return GoogleProgressSnapshot { 1.0, plan.totalBytes, bytesPerSecond, fileCount, fileCount, std::nullopt,
        0.0 };
}

} // namespace

QCoro::Task<GoogleDriveOutcome> run(GoogleDrivePlan plan, bool allowDeletions, RunServices services,
    GoogleDriveRunController& controller, ProgressHandler onProgress)
{
    const QDateTime start = services.clock.now();
    const auto secondsSinceStart
        = [&services, start] { return double(start.msecsTo(services.clock.now())) / 1000.0; };
    GoogleRunLog log;
    GoogleDriveClient client = services.connection.client(plan.tokenProvider, plan.tokenRefresh);
    GoogleDriveUploader uploader
        = services.connection.uploader(plan.tokenProvider, plan.tokenRefresh, services.clock);
    GoogleResumeStore& store = services.resumeStore;
    RunTally tally;
    GoogleDriveOutcome outcome;
    std::exception_ptr failure;
    try {
        auto indexing = buildRemoteIndex(client, plan.folderID, &log);
        const RemoteIndex index = co_await indexing;
        DriveFolders folders(plan.folderID, QHash<QString, GoogleDriveItem>(index.folders));
        auto ensuring = folders.ensure(client, plan.directories, log);
        co_await ensuring;

        GoogleProgressMeter meter(services.clock);
        const ResumedFiles resumed = resumePass(plan, index.files, store, log);
        tally.skipped = resumed.count;
        tally.filesDone = resumed.count;
        tally.doneBytes = resumed.bytes;
        if (onProgress)
            onProgress(firstReport(plan, resumed));
        if (const std::optional<QString> line = resumeLine(resumed))
            log.append(*line);

        TransferPass transfers({ plan, index.files, folders, resumed.keys, store, uploader, controller,
            services.clock, meter, log, onProgress, tally });
        auto transferring = transfers.run();
        co_await transferring;

        if (plan.mode == BackupMode::mirror && allowDeletions) {
            auto removing = removeExtras(plan, index, client, controller, log, tally);
            outcome.warnings.append(co_await removing);
        }
    } catch (...) {
        failure = std::current_exception();
    }

    outcome.uploaded = tally.uploaded;
    outcome.skipped = tally.skipped;
    outcome.deleted = tally.deleted;
    outcome.bytes = tally.uploadedBytes;
    if (failure) {
        // A cancel makes the running upload throw; that is the cancel, not a failure.
        outcome.warnings.clear();
        if (controller.cancelled()) {
            outcome.cancelled = true;
        } else {
            outcome.errorMessage = describeError(failure);
            log.append(QStringLiteral("ERROR ") + *outcome.errorMessage);
        }
        outcome.duration = secondsSinceStart();
        outcome.logPath = log.finish();
        store.flushRecords();
        co_return outcome;
    }

    // A file that may be stored half old, half new leads: only the first warning is the run's summary.
    outcome.warnings = tally.warnings + outcome.warnings + plan.warnings;
    outcome.duration = secondsSinceStart();
    outcome.logPath = log.finish();
    const double averageSpeed = tally.uploadedBytes >= 1 && outcome.duration > 0
        ? double(tally.uploadedBytes) / outcome.duration
        : 0;
    if (onProgress)
        onProgress(finalReport(plan, averageSpeed));
    store.flushRecords();
    co_return outcome;
}

} // namespace mv::GoogleDriveEngine
