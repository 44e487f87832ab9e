#include "model/DemoData.h"

#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "model/VolumeInspector.h"
#include "platform/EnvironmentSwitch.h"
#include "platform/FileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace mv::DemoData {

namespace {

constexpr qint64 largeFileBytes = 31'457'280;
const QString offlineShare = QStringLiteral("/mnt/MarrowvaleDemoNAS/Photos");
const QString notMounted = QStringLiteral("The destination volume is not mounted.");

using FileList = QList<std::pair<QString, QByteArray>>;

QString demoPath(const QString& supportFolder, const QString& relative)
{
    return QDir(supportFolder).filePath(QStringLiteral("Demo/") + relative);
}

// An empty file extended to its full length, so it reads as zeros without taking space on disk. An existing
// file is kept as it is.
void makeLargeFile(const QString& path)
{
    const FileDescriptor file(
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.get() < 0)
        return;
    // A file left shorter is still a demo file; nothing is reported.
    [[maybe_unused]] const int extended = ::ftruncate(file.get(), largeFileBytes);
}

QString makeFolder(const QString& supportFolder, const QString& name, const FileList& files)
{
    const QString folder = demoPath(supportFolder, QStringLiteral("Sources/") + name);
    QDir().mkpath(folder);
    for (const auto& [relative, text] : files) {
        const QString path = QDir(folder).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        try {
            AtomicFile::write(path, text);
        } catch (const FileSystemError&) {
            // The demo goes on without this file.
        }
    }
    return folder;
}

BackupJob makeJob(const QString& name, BackupMode mode, const QString& sourcePath, const QDateTime& now)
{
    BackupJob job = BackupJob::create(now);
    job.name = name;
    job.mode = mode;
    job.source.path = sourcePath;
    job.source.displayName = QFileInfo(sourcePath).fileName();
    return job;
}

struct Status {
    qint64 secondsAgo;
    RunResult result;
    bool succeeded;
};

BackupDestination makeDestination(const QString& name, DestinationKind kind, const QString& path,
    ScheduleKind schedule, Status status, const QDateTime& now)
{
    BackupDestination destination = BackupDestination::create(now);
    destination.name = name;
    destination.kind = kind;
    destination.path = path;
    destination.schedule.kind = schedule;
    destination.lastAttempt = now.addSecs(-status.secondsAgo);
    if (status.succeeded)
        destination.lastSuccess = destination.lastAttempt;
    destination.lastResult = status.result;
    return destination;
}

// Demo destinations on this computer get their folder and the volume that holds it.
void placeOnVolume(BackupDestination& destination)
{
    QDir().mkpath(destination.path);
    if (const auto volume = VolumeInspector::volume(destination.path)) {
        destination.volumeIdentity = volume->identity;
        destination.volumeName = volume->name;
    }
}

struct HistoryEntry {
    int job;
    int destination;
    qint64 endOffsetSeconds;
    RunResult result;
    qint64 bytes;
    qint64 filesCopied;
    std::optional<QString> errorSummary;
};

} // namespace

bool requested()
{
    return environmentSwitch("MARROWVALE_DEMO");
}

QList<BackupJob> makeJobs(const QString& supportFolder, const QDateTime& now)
{
    QDir().mkpath(demoPath(supportFolder, QStringLiteral("Sources/Documents/Archive")));
    makeLargeFile(demoPath(supportFolder, QStringLiteral("Sources/Documents/Archive/demo-video.bin")));

    const QString documents = makeFolder(supportFolder, QStringLiteral("Documents"),
        { { QStringLiteral("Notes.md"), "# Notes\nA small demo folder for Marrowvale." },
            { QStringLiteral("Letters/Offer letter.txt"), "Welcome aboard." },
            { QStringLiteral("Letters/Reference — Zoë.txt"), "Unicode names survive rsync." },
            { QStringLiteral("Receipts/2026/receipt 01.txt"), "Coffee, 4.50" },
            { QStringLiteral("Receipts/2026/receipt 02.txt"), "Lunch, 12.00" },
            { QStringLiteral("Holiday plan.txt"), "Book the ferry." } });
    const QString projects = makeFolder(supportFolder, QStringLiteral("Projects"),
        { { QStringLiteral("Marrowvale/README.md"), "A native menu bar backup utility." },
            { QStringLiteral("Marrowvale/Sources/main.cpp"), "// demo" },
            { QStringLiteral("Marrowvale/.build/cache.bin"), QByteArray(4'096, 'x') },
            { QStringLiteral("Website/index.html"), "<!doctype html><title>Demo</title>" } });
    const QString pictures = makeFolder(supportFolder, QStringLiteral("Pictures"),
        { { QStringLiteral("Camera/IMG_0001.txt"), "placeholder" },
            { QStringLiteral("Screenshots/Shot 1.txt"), "placeholder" } });

    const QString ssd = demoPath(supportFolder, QStringLiteral("Backups/Backup SSD"));
    const QString nas = demoPath(supportFolder, QStringLiteral("Backups/Home NAS"));
    const Status twelveMinutesAgo { 720, RunResult::success, true };

    BackupJob documentsJob = makeJob(QStringLiteral("Documents"), BackupMode::incremental, documents, now);
    documentsJob.options.bandwidthLimitKBps = 4096;
    documentsJob.destinations = {
        makeDestination(QStringLiteral("Backup SSD"), DestinationKind::local,
            ssd + QStringLiteral("/Documents"), ScheduleKind::manual, twelveMinutesAgo, now),
        makeDestination(QStringLiteral("Home NAS"), DestinationKind::network,
            nas + QStringLiteral("/Documents"), ScheduleKind::daily, twelveMinutesAgo, now),
    };

    BackupJob projectsJob = makeJob(QStringLiteral("Projects"), BackupMode::versioned, projects, now);
    BackupDestination projectsSsd = makeDestination(QStringLiteral("Backup SSD"), DestinationKind::local,
        ssd + QStringLiteral("/Projects"), ScheduleKind::daily, { 93'600, RunResult::success, true }, now);
    projectsSsd.nextRun = projectsSsd.schedule.nextRun(now, QTimeZone::systemTimeZone());
    projectsJob.destinations = { projectsSsd };

    BackupJob photosJob = makeJob(QStringLiteral("Photo Library"), BackupMode::incremental, pictures, now);
    BackupDestination share = makeDestination(QStringLiteral("Home NAS"), DestinationKind::network,
        offlineShare, ScheduleKind::manual, { 259'200, RunResult::failed, false }, now);
    share.lastError = notMounted;
    photosJob.destinations = { share };

    for (BackupJob* local : { &documentsJob, &projectsJob }) {
        for (BackupDestination& target : local->destinations)
            placeOnVolume(target);
    }
    return { documentsJob, projectsJob, photosJob };
}

std::vector<BackupRunRecord> historyRecords(const QList<BackupJob>& jobs, const QDateTime& now)
{
    static const HistoryEntry entries[] = {
        { 0, 0, -720, RunResult::success, 4'800'000, 24, std::nullopt },
        { 1, 0, -93'600, RunResult::success, 12'400'000, 118, std::nullopt },
        { 2, 0, -259'200, RunResult::failed, 0, 0, notMounted },
    };
    std::vector<BackupRunRecord> records;
    for (const HistoryEntry& entry : entries) {
        if (entry.job >= jobs.size() || entry.destination >= jobs[entry.job].destinations.size())
            continue;
        const BackupJob& job = jobs[entry.job];
        const BackupDestination& destination = job.destinations[entry.destination];
        const QDateTime endedAt = now.addSecs(entry.endOffsetSeconds).toUTC();
        BackupRunRecord record
            = BackupRunRecord::of(job, destination, RunTrigger::manual, endedAt.addSecs(-62));
        record.endedAt = endedAt;
        record.result = entry.result;
        record.bytesTransferred = entry.bytes;
        record.filesCopied = entry.filesCopied;
        record.errorSummary = entry.errorSummary;
        records.push_back(record);
    }
    return records;
}

} // namespace mv::DemoData
