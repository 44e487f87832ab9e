#pragma once

#include "model/BackupJob.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace mv::JobListPresentation {

// Whether the search text finds the job: the text as typed, ignoring case, inside the job's name, its
// source path, or a destination's name or path. A text of blanks and tabs only finds every job.
bool matches(const BackupJob& job, const QString& query);
// The jobs in configuration order that the search finds, without the disabled ones unless they are shown.
QList<BackupJob> filtered(const QList<BackupJob>& jobs, const QString& query, bool showDisabled);
// The first two destinations' names, " +" and how many more, or "No destinations".
QString destinationSummary(const BackupJob& job);
// "Never run", or "Last run " and how long ago.
QString lastRunLine(const std::optional<QDateTime>& lastActivity, const QDateTime& now);

} // namespace mv::JobListPresentation
