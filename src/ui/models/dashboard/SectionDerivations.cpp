#include "ui/models/dashboard/SectionDerivations.h"

#include "ui/models/shared/StatusBoard.h"

#include <algorithm>
#include <map>

namespace mv {

bool countsAsWarning(const QString& statusText)
{
    return statusText == QLatin1String("Failed") || statusText == QLatin1String("Needs review")
        || statusText == QLatin1String("Offline");
}

int warningCount(const QList<BackupJob>& jobs, const StatusBoard& status)
{
    return int(std::count_if(jobs.begin(), jobs.end(),
        [&](const BackupJob& job) { return countsAsWarning(status.jobStatus(job.id).text); }));
}

PaletteRole jobTint(bool isEnabled, const QString& statusText)
{
    if (!isEnabled)
        return PaletteRole::idle;
    if (statusText == QLatin1String("Failed") || statusText == QLatin1String("Needs review"))
        return PaletteRole::danger;
    if (statusText == QLatin1String("Offline"))
        return PaletteRole::offline;
    if (statusText == QLatin1String("Paused") || statusText == QLatin1String("Waiting"))
        return PaletteRole::warning;
    return PaletteRole::accent;
}

std::vector<DayGroup> groupedDays(const std::vector<BackupRunRecord>& records, const QTimeZone& zone)
{
    std::map<QDateTime, std::vector<BackupRunRecord>, std::greater<>> byDay;
    for (const BackupRunRecord& record : records) {
        const QDateTime day = record.startedAt.toTimeZone(zone).date().startOfDay(zone);
        byDay[day].push_back(record);
    }
    std::vector<DayGroup> groups;
    for (auto& [day, dayRecords] : byDay)
        groups.push_back({ day, std::move(dayRecords) });
    return groups;
}

} // namespace mv
