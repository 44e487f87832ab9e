#include "ui/models/JobSave.h"

#include "engine/PreflightService.h"
#include "model/EffectiveValues.h"
#include "model/PathValidation.h"
#include "model/VolumeInspector.h"
#include "platform/Bookmark.h"

#include <QFileInfo>
#include <QSet>

namespace mv::JobSave {

namespace {

QString lastComponent(const QString& path)
{
    return QFileInfo(path).fileName();
}

std::optional<QString> volumeIdentity(const QString& path)
{
    if (const std::optional<VolumeInfo> volume = VolumeInspector::volume(path))
        return volume->identity;
    return std::nullopt;
}

// Whether the destination may take the source's copies: a local folder clear of the source, and no place that
// an earlier destination of the list already names (`seen` holds their keys).
std::optional<QString> placeProblem(
    const BackupDestination& destination, const QString& source, QSet<QString>& seen)
{
    QString key;
    QString repeated;
    switch (destination.kind) {
    case DestinationKind::local:
    case DestinationKind::network:
        if (const auto error = PathValidation::validateLocalDestination(source, destination.path))
            return destination.name + QStringLiteral(": ") + error->message;
        key = PathValidation::normalize(destination.path);
        repeated = QStringLiteral("Two destinations point at the same folder: ") + destination.path
            + QLatin1Char('.');
        break;
    case DestinationKind::ssh:
        key = destination.user + QLatin1Char('@') + destination.host + QLatin1Char(':') + destination.path;
        repeated = QStringLiteral("Two destinations point at the same server folder.");
        break;
    case DestinationKind::googleDrive:
        key = QStringLiteral("drive:") + destination.googleFolderName;
        repeated = QStringLiteral("Two destinations point at the same Google Drive folder.");
        break;
    }
    if (seen.contains(key))
        return repeated;
    seen.insert(key);
    return std::nullopt;
}

void commitDestination(
    BackupDestination& destination, const BackupJob& job, const QDateTime& now, const QTimeZone& zone)
{
    const bool local
        = destination.kind == DestinationKind::local || destination.kind == DestinationKind::network;
    destination.path = destination.kind == DestinationKind::ssh
        ? PathValidation::normalizeRemotePath(destination.path)
        : PathValidation::normalize(destination.path);
    if (local) {
        destination.bookmark = bookmarkFor(destination.path, destination.bookmark);
        const QString inspected
            = PreflightService::nearestExistingAncestor(destination.path).value_or(destination.path);
        const std::optional<VolumeInfo> volume = VolumeInspector::volume(inspected);
        destination.volumeIdentity = volume ? std::optional(volume->identity) : std::optional<QString>();
        destination.volumeName = volume ? std::optional(volume->name) : std::optional<QString>();
    }
    destination.nextRun = effectiveSchedule(job, destination).nextRun(now, zone);
}

} // namespace

std::optional<QString> firstProblem(const BackupJob& job, bool mirrorAcknowledged)
{
    if (job.name.isEmpty())
        return QStringLiteral("Give this backup a name.");
    if (PathValidation::validateSource(job.source.path))
        return QStringLiteral("The source folder is not available. Choose it again.");
    if (job.destinations.isEmpty())
        return QStringLiteral("Add at least one destination.");
    if (job.mode == BackupMode::mirror && !mirrorAcknowledged)
        return QStringLiteral("Confirm that mirror can delete files at the destination.");
    QSet<QString> seen;
    for (const BackupDestination& destination : job.destinations) {
        if (const auto error = PathValidation::validateDestination(destination))
            return destination.name + QStringLiteral(": ") + error->message;
        if (const auto problem = placeProblem(destination, job.source.path, seen))
            return problem;
    }
    return std::nullopt;
}

BackupJob committed(BackupJob job, const QDateTime& now, const QTimeZone& zone)
{
    job.source.displayName = lastComponent(job.source.path);
    job.source.bookmark = bookmarkFor(job.source.path, job.source.bookmark);
    job.source.volumeIdentity = volumeIdentity(job.source.path);
    for (BackupDestination& destination : job.destinations)
        commitDestination(destination, job, now, zone);
    return job;
}

std::optional<QByteArray> bookmarkFor(const QString& path, const std::optional<QByteArray>& previous)
{
    if (std::optional<QByteArray> fresh = Bookmark::create(path))
        return fresh;
    if (previous && Bookmark::resolve(*previous) == PathValidation::normalize(path))
        return previous;
    return std::nullopt;
}

} // namespace mv::JobSave
