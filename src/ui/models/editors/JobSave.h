#pragma once

#include "model/BackupJob.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace mv {

// What the job editor's Save does to its draft before anything is written: the checks in their fixed order,
// then the values only Save fills in (bookmarks, volumes, next runs).
namespace JobSave {

// The first problem that keeps `job` from being saved, as the footer shows it; none when it may be saved.
// The name is judged as given: Save trims it first. `otherJobs` are the stored jobs besides this one: a
// destination may not share a folder with one of theirs, where one job's runs would replace or delete the
// other's files.
std::optional<QString> firstProblem(
    const BackupJob& job, bool mirrorAcknowledged, const QList<BackupJob>& otherJobs);

// Whether two destinations write into one folder, or one into a folder inside the other's: folders of this
// computer (drives and shares alike) as resolved paths; folders on one SSH server whatever its port (a path
// under "~" only for the same user, whose home it is); Drive folders of one name in one account (an unknown
// account may be the signed-in one).
bool sharesFolder(const BackupDestination& first, const BackupDestination& second);

// `job` as it is stored: the source's display name, bookmark and volume, and each destination's normalised
// path, bookmark, volume and next run after `now` on the wall clock of `zone`.
BackupJob committed(BackupJob job, const QDateTime& now, const QTimeZone& zone);

// A fresh bookmark of `path`; when none can be made, `previous` only while it still finds that same path, so
// a bookmark of a folder the user has moved away from never outlives the change.
std::optional<QByteArray> bookmarkFor(const QString& path, const std::optional<QByteArray>& previous);

} // namespace JobSave

} // namespace mv
