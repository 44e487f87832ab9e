#pragma once

#include "model/BackupJob.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace mv::DestinationDetailPresentation {

// "4 destinations across 3 jobs", the same words for counts of one.
QString countsLine(qint64 destinations, qint64 jobs);
// The facts under the path, in order: the effective schedule, "·", the last success, and, for a scheduled
// destination with a next run, "·" and the next run.
QStringList factsLine(const BackupJob& job, const BackupDestination& destination, const QDateTime& now);
// The stored error, shown only while the status is "Failed", "Offline" or "Needs review".
std::optional<QString> errorLine(const BackupDestination& destination, const QString& statusText);

} // namespace mv::DestinationDetailPresentation
