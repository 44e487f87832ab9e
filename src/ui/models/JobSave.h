#pragma once

#include "model/BackupJob.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>

#include <optional>

namespace mv {

// What the job editor's Save does to its draft before anything is written: the checks in their fixed order,
// then the values only Save fills in (bookmarks, volumes, next runs).
namespace JobSave {

// The first problem that keeps `job` from being saved, as the footer shows it; none when it may be saved.
// The name is judged as given: Save trims it first.
std::optional<QString> firstProblem(const BackupJob& job, bool mirrorAcknowledged);

// `job` as it is stored: the source's display name, bookmark and volume, and each destination's normalised
// path, bookmark, volume and next run after `now` on the wall clock of `zone`.
BackupJob committed(BackupJob job, const QDateTime& now, const QTimeZone& zone);

// A fresh bookmark of `path`; when none can be made, `previous` only while it still finds that same path, so
// a bookmark of a folder the user has moved away from never outlives the change.
std::optional<QByteArray> bookmarkFor(const QString& path, const std::optional<QByteArray>& previous);

} // namespace JobSave

} // namespace mv
