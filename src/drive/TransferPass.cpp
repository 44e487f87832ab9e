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
        co_await awaitTurn();
        co_await transfer(file);
    }
}

QCoro::Task<> TransferPass::awaitTurn()
{
    GoogleDriveRunController& controller = m_context.controller;
    if (controller.cancelled())
        throw GoogleDriveError::cancelled();
    if (!controller.paused())
        co_return;
    co_await controller.waitWhilePaused(m_context.clock);
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
    const std::optional<QString> local = co_await localMD5(file);
    RunTally& tally = m_context.tally;
    if (remote && local && remote->sizeBytes() == file.size && remote->md5Checksum == local) {
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
    const GoogleDriveItem stored = co_await upload(file, key, *parentID, existingID);
    // Drive's digest is of what it received; ours stands in only when Drive gives none.
    std::optional<QString> md5 = stored.md5Checksum;
    if (!md5)
        md5 = local;
    if (md5)
        m_context.store.storeMD5(*md5, key, file.size, file.modified);
    ++tally.uploaded;
    ++tally.filesDone;
    tally.uploadedBytes += file.size;
    tally.doneBytes += file.size;
    m_context.log.append(QStringLiteral("UPLOAD %1 (%2)").arg(file.relativePath, Format::bytes(file.size)));
    report(file.relativePath);
}

QCoro::Task<GoogleDriveItem> TransferPass::upload(const GoogleLocalFile& file, const QString& key,
    const QString& parentID, std::optional<QString> existingID)
{
    GoogleResumeStore& store = m_context.store;
    const GoogleUploadResume resume { &store, key, file.size, file.modified,
        store.sessionURL(key, file.size, file.modified) };

    // Reports while the file goes out work only on what was known when it began: the run's own counters
    // move on only after the upload returned.
    const RunTally before = m_context.tally;
    ProgressCounts counts { before.doneBytes, m_context.plan.totalBytes, before.filesDone,
        qsizetype(m_context.plan.files.size()), file.relativePath };
    const qint64 size = file.size;
    GoogleProgressMeter* meter = &m_context.meter;
    const ProgressHandler onProgress = m_context.onProgress;
    // A request can end with Qt reporting 0 bytes sent; holding the furthest point reached keeps the
    // reports from jumping back.
    auto reporter = [counts, before, size, meter, onProgress, reached = qint64(0)](qint64 sent) mutable {
        reached = std::max(reached, std::min(sent, size));
        counts.doneBytes = before.doneBytes + reached;
        if (onProgress)
            onProgress(counts.snapshot(meter->speed(before.uploadedBytes + reached)));
    };
    co_return co_await m_context.uploader.upload(QFile::decodeName(file.url),
        lastComponent(file.relativePath), parentID, std::move(existingID), resume, &m_context.controller,
        reporter);
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
