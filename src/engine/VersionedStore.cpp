#include "engine/VersionedStore.h"

#include "engine/PlanBuilder.h"
#include "engine/RunPlan.h"
#include "engine/TreeRemover.h"
#include "model/PathValidation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <sys/stat.h>

namespace mv::VersionedStore {
namespace {

bool holdsMarker(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo::exists(folder + u'/' + PlanBuilder::markerFileName);
}

// A snapshot-named entry that is a folder itself, not a link to one.
bool isSnapshotFolder(const QString& path)
{
    struct stat status { };
    return lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && PlanBuilder::isSnapshotName(QFileInfo(path).fileName());
}

void removeOrThrow(const QString& path, const QString& failurePrefix)
{
    if (const std::optional<QString> problem = TreeRemover::remove(path))
        throw PathValidationError(failurePrefix + *problem);
}

} // namespace

std::optional<QDateTime> snapshotDate(const QString& path, const QTimeZone& zone)
{
    const QString name = QFileInfo(QDir::cleanPath(path)).fileName();
    // The day and the time are read apart, in no time zone, so that an hour the system's own zone skips
    // still reads in `zone`.
    const QDate date = QLocale::c().toDate(name.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QLocale::c().toTime(
        name.mid(11), name.size() >= 17 ? QStringLiteral("HHmmss") : QStringLiteral("HHmm"));
    if (name.mid(10, 1) != u"_" || !date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime local(date, time, zone);
    if (!local.isValid())
        return std::nullopt;
    return local.toUTC();
}

QStringList prune(const QString& root, qint64 retention, const std::optional<QString>& keeping)
{
    const QString folder = PathValidation::normalize(root);
    if (!holdsMarker(folder))
        throw PathValidationError(
            QStringLiteral("Refusing to prune %1 because Marrowvale does not manage snapshots there.")
                .arg(root));
    const QStringList snapshots = PlanBuilder::snapshots(folder);
    if (retention <= 0 || snapshots.size() <= retention)
        return {};

    const std::optional<QString> kept
        = keeping ? std::optional(PathValidation::normalize(*keeping)) : std::nullopt;
    QStringList removed;
    for (const QString& candidate : snapshots.mid(retention)) {
        if (kept && PathValidation::normalize(candidate) == *kept)
            continue;
        // The candidate itself, never what a link in its place points at.
        if (!isSnapshotFolder(candidate))
            continue;
        removeOrThrow(candidate, QStringLiteral("An old snapshot could not be removed: "));
        removed.append(candidate);
    }
    return removed;
}

std::optional<QString> discardUnfinishedSnapshot(const RunPlan& plan)
{
    if (plan.mode != BackupMode::versioned || plan.targetIsRemote || !plan.snapshotPath
        || !plan.createdSnapshotFolder)
        return std::nullopt;
    const QFileInfo given(QDir::cleanPath(*plan.snapshotPath));
    const QString folder = PathValidation::normalize(given.path());
    const QString snapshot = folder + u'/' + given.fileName();
    if (!holdsMarker(folder) || !isSnapshotFolder(snapshot))
        return std::nullopt;
    static const QString linkDest = QStringLiteral("--link-dest=");
    for (const QString& argument : plan.arguments) {
        if (argument.startsWith(linkDest)
            && PathValidation::normalize(argument.mid(linkDest.size())) == snapshot)
            return std::nullopt;
    }
    removeOrThrow(
        snapshot, QStringLiteral("The unfinished snapshot %1 could not be removed: ").arg(snapshot));
    return snapshot;
}

} // namespace mv::VersionedStore
