#pragma once

#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"

#include <QDateTime>
#include <QList>

#include <vector>

namespace mv::DemoData {

// True when MARROWVALE_DEMO holds exactly "1".
bool requested();

// Lays out the demo under "<supportFolder>/Demo" (sample sources, a sparse 30 MiB file, two backup folders)
// and answers the three demo jobs: "Documents", "Projects" and "Photo Library", the last on a share that is
// not mounted. A folder or file that cannot be made is skipped; the jobs are answered all the same.
QList<BackupJob> makeJobs(const QString& supportFolder, const QDateTime& now);

// History rows matching the demo jobs' statuses, for the jobs and destinations standing at the positions the
// demo uses; positions missing from `jobs` are skipped.
std::vector<BackupRunRecord> historyRecords(const QList<BackupJob>& jobs, const QDateTime& now);

} // namespace mv::DemoData
