#include "engine/VersionedStore.h"

#include "engine/RunPlan.h"
#include "engine/TreeRemover.h"
#include "model/PathValidation.h"
#include "platform/FileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mv::VersionedStore {
namespace {

bool holdsMarker(const QString& folder)
{
    return !folder.isEmpty() && QFileInfo::exists(folder + u'/' + QLatin1String(markerFileName));
}

// A snapshot-named entry that is a folder itself, not a link to one.
bool isSnapshotFolder(const QString& path)
{
    struct stat status { };
    return lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && isSnapshotName(QFileInfo(path).fileName());
}

QString unfinishedNote(const QString& folder, const QString& name)
{
    return folder + u'/' + QLatin1String(unfinishedNotePrefix) + name;
}

// Whether anything, even a dangling link, is at `path`.
bool entryExists(const QString& path)
{
    struct stat status { };
    return lstat(QFile::encodeName(path).constData(), &status) == 0;
}

bool isUnfinished(const QString& folder, const QString& name)
{
    return entryExists(unfinishedNote(folder, name));
}

// The finished snapshot names of `root`, oldest first.
QStringList snapshotNames(const QString& root, QDir::Filters filters)
{
    QStringList names = QDir(root).entryList(filters | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeIf(
        [&root](const QString& name) { return !isSnapshotName(name) || isUnfinished(root, name); });
    std::sort(names.begin(), names.end());
    return names;
}

void removeNote(const QString& path, const QString& snapshot)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
        throw PathValidationError(QStringLiteral("The note that %1 is unfinished could not be removed: %2")
                                      .arg(snapshot, QString::fromLocal8Bit(::strerror(errno))));
}

void removeOrThrow(const QString& path, const QString& failurePrefix)
{
    if (const std::optional<QString> problem = TreeRemover::remove(path))
        throw PathValidationError(failurePrefix + *problem);
}

} // namespace

void createMarkerIfMissing(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + u'/' + QLatin1String(markerFileName));
    const FileDescriptor marker(
        ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (marker.get() < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(marker.get(), markerContent, sizeof markerContent - 1);
}

void beginSnapshot(const QString& folder, const QString& name)
{
    const FileDescriptor note(::open(QFile::encodeName(unfinishedNote(folder, name)).constData(),
        O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (note.get() < 0)
        throw PathValidationError(QStringLiteral("The snapshot %1 could not be started in %2: %3")
                                      .arg(name, folder, QString::fromLocal8Bit(::strerror(errno))));
}

std::optional<QString> finishSnapshot(const QString& snapshotPath)
{
    const QFileInfo snapshot(QDir::cleanPath(snapshotPath));
    if (::unlink(QFile::encodeName(unfinishedNote(snapshot.path(), snapshot.fileName())).constData()) == 0
        || errno == ENOENT)
        return std::nullopt;
    return QStringLiteral("The snapshot %1 could not be marked complete (%2), so it will be removed before "
                          "the next run.")
        .arg(snapshot.filePath(), QString::fromLocal8Bit(::strerror(errno)));
}

QStringList discardUnfinishedSnapshots(const QString& folder)
{
    QStringList removed;
    if (!holdsMarker(folder))
        return removed;
    const QString prefix = QLatin1String(unfinishedNotePrefix);
    const QStringList notes = QDir(folder).entryList(
        { prefix + u'*' }, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& note : notes) {
        const QString name = note.mid(prefix.size());
        if (!isSnapshotName(name))
            continue;
        const QString snapshot = folder + u'/' + name;
        // A link in the snapshot's place is left alone: what it points at was never ours to remove.
        if (isSnapshotFolder(snapshot)) {
            removeOrThrow(
                snapshot, QStringLiteral("The unfinished snapshot %1 could not be removed: ").arg(snapshot));
            removed.append(snapshot);
        }
        if (!entryExists(snapshot))
            removeNote(folder + u'/' + note, snapshot);
    }
    return removed;
}

QString snapshotStamp(const QDateTime& time)
{
    return QLocale::c().toString(time.toLocalTime(), QStringLiteral("yyyy-MM-dd_HHmmss"));
}

bool isSnapshotName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\A[0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{4,6}\z)"));
    return pattern.match(name).hasMatch();
}

std::optional<QString> latestSnapshot(const QString& root, const std::optional<QString>& excluding)
{
    // Real folders only: a link named like a snapshot must not become the hard-link base.
    QStringList names = snapshotNames(root, QDir::Dirs | QDir::NoSymLinks);
    // The listing counts a dangling link as a system entry.
    names.removeIf([&root](const QString& name) { return !isSnapshotFolder(root + u'/' + name); });
    if (excluding)
        names.removeAll(*excluding);
    if (names.isEmpty())
        return std::nullopt;
    return root + u'/' + names.last();
}

QStringList snapshots(const QString& root)
{
    QStringList paths;
    const QStringList names = snapshotNames(root, QDir::AllEntries);
    for (auto it = names.crbegin(); it != names.crend(); ++it)
        paths.append(root + u'/' + *it);
    return paths;
}

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

std::expected<QStringList, QString> prune(
    const QString& root, qint64 retention, const std::optional<QString>& keeping)
{
    const QString folder = PathValidation::normalize(root);
    if (!holdsMarker(folder))
        return std::unexpected(
            QStringLiteral("Refusing to prune %1 because Marrowvale does not manage snapshots there.")
                .arg(root));
    const QStringList existing = snapshots(folder);
    if (retention <= 0 || existing.size() <= retention)
        return QStringList {};

    const std::optional<QString> kept
        = keeping ? std::optional(PathValidation::normalize(*keeping)) : std::nullopt;
    QStringList removed;
    for (const QString& candidate : existing.mid(retention)) {
        if (kept && PathValidation::normalize(candidate) == *kept)
            continue;
        // The candidate itself, never what a link in its place points at.
        if (!isSnapshotFolder(candidate))
            continue;
        if (const std::optional<QString> problem = TreeRemover::remove(candidate))
            return std::unexpected(QStringLiteral("An old snapshot could not be removed: ") + *problem);
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
    removeNote(unfinishedNote(folder, given.fileName()), snapshot);
    return snapshot;
}

} // namespace mv::VersionedStore
