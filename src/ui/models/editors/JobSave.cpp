#include "ui/models/editors/JobSave.h"

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

bool isFolderHere(DestinationKind kind)
{
    return kind == DestinationKind::local || kind == DestinationKind::network;
}

QString serverHost(const BackupDestination& destination)
{
    QString host = destination.host.trimmed().toLower();
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    return host;
}

bool remotePathsOverlap(const QString& first, const QString& second)
{
    const auto inside = [](const QString& inner, const QString& outer) {
        return inner == outer || inner.startsWith(outer.endsWith(u'/') ? outer : outer + u'/');
    };
    return inside(first, second) || inside(second, first);
}

// The folder a Drive run writes into: the destination's own name stands in for an empty folder name.
QString driveFolderName(const BackupDestination& destination)
{
    return destination.googleFolderName.isEmpty() ? destination.name : destination.googleFolderName;
}

// The first other job with a destination in the same folder as `destination`.
std::optional<QString> sharedWithAnotherJob(
    const BackupDestination& destination, const QList<BackupJob>& otherJobs)
{
    for (const BackupJob& other : otherJobs) {
        for (const BackupDestination& theirs : other.destinations) {
            if (sharesFolder(destination, theirs))
                return other.name
                    + QStringLiteral(" already backs up into this folder. Choose another folder.");
        }
    }
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

std::optional<QString> firstProblem(
    const BackupJob& job, bool mirrorAcknowledged, const QList<BackupJob>& otherJobs)
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
        if (const auto problem = sharedWithAnotherJob(destination, otherJobs))
            return problem;
    }
    return std::nullopt;
}

bool sharesFolder(const BackupDestination& first, const BackupDestination& second)
{
    if (isFolderHere(first.kind) && isFolderHere(second.kind))
        return PathValidation::overlaps(first.path, second.path);
    if (first.kind != second.kind)
        return false;
    switch (first.kind) {
    case DestinationKind::local:
    case DestinationKind::network:
        return false;
    case DestinationKind::ssh: {
        const QString firstPath = PathValidation::normalizeRemotePath(first.path);
        const QString secondPath = PathValidation::normalizeRemotePath(second.path);
        if (serverHost(first).isEmpty() || serverHost(first) != serverHost(second) || firstPath.isEmpty()
            || secondPath.isEmpty())
            return false;
        const bool inHome = firstPath.startsWith(u'~');
        if (inHome != secondPath.startsWith(u'~')
            || (inHome && first.user.trimmed() != second.user.trimmed()))
            return false;
        return remotePathsOverlap(firstPath, secondPath);
    }
    case DestinationKind::googleDrive:
        return (!first.googleAccount || !second.googleAccount
                   || first.googleAccount->compare(*second.googleAccount, Qt::CaseInsensitive) == 0)
            && driveFolderName(first) == driveFolderName(second);
    }
    return false;
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
