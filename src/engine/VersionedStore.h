#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <expected>
#include <optional>

namespace mv {

struct RunPlan;

// Dated snapshot folders of versioned destinations: their names, the marker that says a folder's snapshots
// are ours, pruning old ones after a successful run, and discarding what an attempt left unfinished.
// Nothing is ever removed from a folder that does not hold the marker, and symbolic links are never
// followed.
//
// A snapshot is unfinished from before its folder is made until its run has succeeded: a note beside it
// says so, so that a copy cut short even by the end of the program (a power cut, a kill) is never taken
// for a version. An unfinished snapshot is never listed, never counts toward retention and never becomes
// a hard-link base, and the next run of its destination removes it first.
namespace VersionedStore {

// The file in a versioned destination folder that says its snapshots are ours, and its exact content.
inline constexpr char markerFileName[] = ".marrowVale-versions";
inline constexpr char markerContent[] = "Marrowvale versioned snapshots\n";
// The note beside a snapshot being written: this prefix followed by the snapshot's name.
inline constexpr char unfinishedNotePrefix[] = ".marrowVale-unfinished-";

// Creates the marker in `folder` unless something (even a dangling link) is already there; a failure only
// means the folder's snapshots will never be pruned.
void createMarkerIfMissing(const QString& folder);

// The snapshot folder name for a time, in the system's time zone: "yyyy-MM-dd_HHmmss".
QString snapshotStamp(const QDateTime& time);

// Whether a folder name reads as a snapshot (the seconds may be left out).
bool isSnapshotName(const QString& name);

// Notes in `folder` that the snapshot `name` is being written; call it before the snapshot's folder is
// made. Throws PathValidationError when the note cannot be written: the run must not start then.
void beginSnapshot(const QString& folder, const QString& name);

// The snapshot at `snapshotPath` was written in full: it is a version from now on. Answers why it could not
// be noted, which leaves the snapshot unfinished.
std::optional<QString> finishSnapshot(const QString& snapshotPath);

// Removes every unfinished snapshot of `folder`, and notes left without their snapshot, in a folder that
// holds the marker; answers the removed snapshots. Call it only while no run writes to `folder`. Throws
// PathValidationError when a removal fails.
QStringList discardUnfinishedSnapshots(const QString& folder);

// root + "/" + the newest finished snapshot folder in `root` other than `excluding`; none when there is
// none or the folder cannot be read.
std::optional<QString> latestSnapshot(const QString& root, const std::optional<QString>& excluding);

// root + "/" + every entry of `root` named like a snapshot (folders or not) but the unfinished ones,
// newest first.
QStringList snapshots(const QString& root);

// The moment a snapshot folder's name stands for, read as a time in `zone` ("2026-12-10_143005" or the
// minute form "2026-12-10_1430"); nothing for any other name.
std::optional<QDateTime> snapshotDate(
    const QString& path, const QTimeZone& zone = QTimeZone::systemTimeZone());

// Removes the snapshots of `root` beyond the newest `retention`, newest of the old ones first, and
// answers the removed paths. A candidate that is a symbolic link or not a folder is skipped, as is the
// one equal to `keeping`. Answers why it stopped when `root` holds no marker (nothing is removed) or a
// removal failed (those removed before stay removed).
std::expected<QStringList, QString> prune(
    const QString& root, qint64 retention, const std::optional<QString>& keeping);

// Removes the snapshot folder of a versioned attempt on a local or network destination that did not
// complete (failed, cancelled, or refused after its folder was made), and then its unfinished note, so
// that a partial copy never counts as a kept version. Only that folder is touched, only when the attempt's
// plan created it, when it is a real folder with a snapshot name inside a folder holding the marker, and
// never when it is the attempt's hard-link base. Answers the removed path, or nothing when there was
// nothing to remove. Throws PathValidationError when the removal fails.
std::optional<QString> discardUnfinishedSnapshot(const RunPlan& plan);

} // namespace VersionedStore
} // namespace mv
