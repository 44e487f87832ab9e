#include "drive/TransferPass.h"

#include "drive/DriveFolders.h"
#include "drive/FileDigest.h"
#include "drive/GoogleDriveRunController.h"
#include "drive/GoogleProgressMeter.h"
#include "drive/GoogleRunLog.h"
#include "drive/ProgressCounts.h"
#include "drive/RemoteIndex.h"
#include "drive/RunPaths.h"
#include "drive/RunTally.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleDriveUploader.h"
#include "google/GoogleResumeStore.h"
#include "model/Format.h"
#include "platform/WorkerPool.h"

#include <QFile>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <qcoro/qcorofuture.h>

namespace mv::GoogleDriveEngine {

namespace {

// The MD5 of no bytes: an empty file is never opened for hashing.
constexpr char emptyMD5[] = "d41d8cd98f00b204e9800998ecf8427e";

QCoro::Task<std::optional<QString>> localMD5(const GoogleLocalFile& file)
{
    if (file.size <= 0)
        co_return QString::fromLatin1(emptyMD5);
    const QByteArray path = file.url;
    auto hashing = QtConcurrent::run(&WorkerPool::instance(), [path] { return md5(path); });
    co_return co_await hashing;
}

} // namespace

TransferPass::TransferPass(Context context)
    : m_context(context)
{
}

QCoro::Task<> TransferPass::run()
{
    for (const GoogleLocalFile& file : m_context.plan.files) {
        auto waiting = awaitTurn();
        co_await waiting;
        auto transferring = transfer(file);
        co_await transferring;
    }
}

QCoro::Task<> TransferPass::awaitTurn()
{
    GoogleDriveRunController& controller = m_context.controller;
    if (controller.cancelled())
        throw GoogleDriveError::cancelled();
    if (!controller.paused())
        co_return;
    auto waiting = controller.waitWhilePaused(m_context.clock);
    co_await waiting;
    if (controller.cancelled())
        throw GoogleDriveError::cancelled();
}

QCoro::Task<> TransferPass::transfer(const GoogleLocalFile& file)
{
    const QString key = fileKey(m_context.plan.folderID, file.relativePath);
    if (m_context.resumedKeys.contains(key))
        co_return;
    const std::optional<QString> parentID = m_context.folders.parentID(file.relativePath);
    if (!parentID)
        throw GoogleDriveError::api(
            0, QStringLiteral("No Drive folder for ") + parentPath(file.relativePath) + QLatin1Char('.'));

    // No conditional expressions with temporaries here: GCC 12 loses them across a co_await.
    std::optional<GoogleDriveItem> remote;
    if (const auto found = m_context.remoteFiles.constFind(file.relativePath);
        found != m_context.remoteFiles.constEnd())
        remote = *found;
    // Only a Drive copy of the same size with a digest can spare the upload, so only then is the file
    // hashed first; any other file is hashed as the upload reads it.
    std::optional<QString> local;
    const bool mayBeInDrive = remote && remote->sizeBytes() == file.size && remote->md5Checksum;
    if (mayBeInDrive) {
        auto hashing = localMD5(file);
        local = co_await hashing;
    }
    RunTally& tally = m_context.tally;
    if (mayBeInDrive && local && remote->md5Checksum == local) {
        ++tally.skipped;
        ++tally.filesDone;
        tally.doneBytes += file.size;
        m_context.store.storeMD5(*local, key, file.size, file.modified);
        // A session left by an upload whose last answer was lost is finished: Drive holds the file. Kept, it
        // would later answer with that file even after it was deleted from Drive.
        m_context.store.removeSession(key);
        m_context.log.append(QStringLiteral("SKIP ") + file.relativePath);
        report(file.relativePath);
        co_return;
    }

    std::optional<QString> existingID;
    if (remote)
        existingID = remote->id;
    auto uploading = upload(file, key, *parentID, existingID);
    const UploadedFile sent = co_await uploading;
    // What was read stands for the file; an empty file is never read, and a finished session sends nothing.
    std::optional<QString> read = sent.readMD5;
    if (!read && file.size <= 0)
        read = QString::fromLatin1(emptyMD5);
    if (!read)
        read = local;
    const std::optional<QString>& stored = sent.item.md5Checksum;
    if (sent.changedWhileSending || (stored && read && *stored != *read)) {
        // Drive's copy may be a mix of two versions. Unrecorded, the file is compared and sent again next
        // time instead of passing for backed up.
        tally.warnings.append(file.relativePath
            + QStringLiteral(" changed while it was being backed up; it will be copied again next time."));
    } else if (stored) {
        m_context.store.storeMD5(*stored, key, file.size, file.modified);
    } else if (read) {
        m_context.store.storeMD5(*read, key, file.size, file.modified); // Drive gave no digest
    }
    ++tally.uploaded;
    ++tally.filesDone;
    tally.uploadedBytes += file.size;
    tally.doneBytes += file.size;
    m_context.log.append(QStringLiteral("UPLOAD %1 (%2)").arg(file.relativePath, Format::bytes(file.size)));
    report(file.relativePath);
}

QCoro::Task<UploadedFile> TransferPass::upload(const GoogleLocalFile& file, const QString& key,
    const QString& parentID, std::optional<QString> existingID)
{
    GoogleResumeStore& store = m_context.store;
    const GoogleUploadResume resume { &store, key, file.size, file.modified,
        store.sessionURL(key, file.size, file.modified) };

    // Reports while the file goes out work only on what was known when it began: the run's own counters
    // move on only after the upload returned.
    const RunTally& tally = m_context.tally;
    ProgressCounts counts { tally.doneBytes, m_context.plan.totalBytes, tally.filesDone,
        qsizetype(m_context.plan.files.size()), file.relativePath };
    const qint64 size = file.size;
    const qint64 doneBefore = tally.doneBytes;
    const qint64 uploadedBefore = tally.uploadedBytes;
    GoogleProgressMeter* meter = &m_context.meter;
    const ProgressHandler onProgress = m_context.onProgress;
    // A request can end with Qt reporting 0 bytes sent; holding the furthest point reached keeps the
    // reports from jumping back.
    auto reporter = [counts, doneBefore, uploadedBefore, size, meter, onProgress, reached = qint64(0)](
                        qint64 sent) mutable {
        reached = std::max(reached, std::min(sent, size));
        counts.doneBytes = doneBefore + reached;
        if (onProgress)
            onProgress(counts.snapshot(meter->speed(uploadedBefore + reached)));
    };
    auto sending = m_context.uploader.upload(QFile::decodeName(file.url), lastComponent(file.relativePath),
        parentID, std::move(existingID), resume, &m_context.controller, reporter);
    UploadedFile sent = co_await sending;
    co_return sent;
}

void TransferPass::report(const QString& relativePath)
{
    if (!m_context.onProgress)
        return;
    const RunTally& tally = m_context.tally;
    const ProgressCounts counts { tally.doneBytes, m_context.plan.totalBytes, tally.filesDone,
        qsizetype(m_context.plan.files.size()), relativePath };
    m_context.onProgress(counts.snapshot(m_context.meter.speed(tally.uploadedBytes)));
}

} // namespace mv::GoogleDriveEngine
