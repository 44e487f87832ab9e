#pragma once

#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"
#include "model/PaletteRole.h"

#include <QDateTime>
#include <QTimeZone>

#include <vector>

namespace mv {

class StatusBoard;

// Whether a job with this status text counts on the overview's "Jobs with warnings" card: "Failed",
// "Needs review" and "Offline" do, matched exactly.
bool countsAsWarning(const QString& statusText);
// The jobs among `jobs` whose status counts as a warning.
int warningCount(const QList<BackupJob>& jobs, const StatusBoard& status);
// The colour of a job row's icon tile: idle when the job is off, else by its status text.
PaletteRole jobTint(bool isEnabled, const QString& statusText);

// The runs of one calendar day, newest first; `day` is the day's first instant.
struct DayGroup {
    QDateTime day;
    std::vector<BackupRunRecord> records;
};
// `records` (newest first) grouped by the local calendar day they started on, newest day first; each group
// keeps the records' order.
std::vector<DayGroup> groupedDays(
    const std::vector<BackupRunRecord>& records, const QTimeZone& zone = QTimeZone::systemTimeZone());

} // namespace mv
