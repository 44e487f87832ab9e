#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <optional>

namespace mv {

struct RunPlan;

// Dated snapshot folders of versioned destinations: reading their dates, pruning old ones after a
// successful run, and discarding the one folder an attempt left unfinished. Nothing is ever removed from a
// folder that does not hold the snapshot marker, and symbolic links are never followed.
namespace VersionedStore {

// The moment a snapshot folder's name stands for, read as a time in `zone` ("2026-12-10_143005" or the
// minute form "2026-12-10_1430"); nothing for any other name.
std::optional<QDateTime> snapshotDate(
    const QString& path, const QTimeZone& zone = QTimeZone::systemTimeZone());

// Removes the snapshots of `root` beyond the newest `retention`, newest of the old ones first, and
// answers the removed paths. A candidate that is a symbolic link or not a folder is skipped, as is the
// one equal to `keeping`. Throws PathValidationError when `root` holds no marker (nothing is removed)
// or when a removal fails (those removed before stay removed).
QStringList prune(const QString& root, qint64 retention, const std::optional<QString>& keeping);

// Removes the snapshot folder of a versioned attempt on a local or network destination that did not
// complete (failed, cancelled, or refused after its folder was made), so that a partial copy never
// counts as a kept version. Only that folder is touched, only when the attempt's plan created it, when it
// is a real folder with a snapshot name inside a folder holding the marker, and never when it is the
// attempt's hard-link base. Answers the removed path, or nothing when there was nothing to remove.
// Throws PathValidationError when the removal fails.
std::optional<QString> discardUnfinishedSnapshot(const RunPlan& plan);

} // namespace VersionedStore
} // namespace mv
