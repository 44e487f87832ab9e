#include "ui/models/panel/JobCardPresentation.h"

#include "model/Format.h"

#include <algorithm>

namespace mv::JobCardPresentation {

QList<BackupDestination> visibleDestinations(const BackupJob& job, bool showAllDestinations)
{
    if (showAllDestinations || job.destinations.size() <= collapsedDestinationCount)
        return job.destinations;
    return job.destinations.first(collapsedDestinationCount);
}

std::optional<QString> moreDestinationsText(const BackupJob& job, bool showAllDestinations)
{
    if (showAllDestinations || job.destinations.size() <= collapsedDestinationCount)
        return std::nullopt;
    return QStringLiteral("+%1 more").arg(job.destinations.size() - collapsedDestinationCount);
}

bool isBusy(const BackupJob& job, const QList<ActiveRun>& runs)
{
    for (const BackupDestination& destination : job.destinations) {
        const RunKey key { job.id, destination.id };
        const auto run = std::find_if(
            runs.begin(), runs.end(), [&](const ActiveRun& entry) { return entry.key == key; });
        if (run != runs.end() && run->progress.phase < RunPhase::waiting)
            return true;
    }
    return false;
}

QString lastRunText(const BackupJob& job, const QDateTime& now)
{
    const std::optional<QDateTime> last = job.lastActivity();
    if (!last)
        return QStringLiteral("Never run");
    return QStringLiteral("Last run ") + Format::relative(last, now);
}

PaletteRole folderTint(const QString& statusText)
{
    if (statusText == QLatin1String("Failed") || statusText == QLatin1String("Needs review"))
        return PaletteRole::danger;
    if (statusText == QLatin1String("Offline"))
        return PaletteRole::offline;
    return PaletteRole::accent;
}

QString folderSymbol(const BackupJob& job)
{
    return job.source.volumeIdentity ? QStringLiteral("externaldrive.fill") : QStringLiteral("folder.fill");
}

QString runTitle(bool busy)
{
    return busy ? QStringLiteral("Running") : QStringLiteral("Run Now");
}

std::optional<QString> runSymbol(bool busy)
{
    if (busy)
        return std::nullopt;
    return QStringLiteral("play.fill");
}

QString runHelp(const BackupJob& job)
{
    return QStringLiteral("Back up ") + job.name + QStringLiteral(" to all of its destinations");
}

QString accessibleName(const BackupJob& job, const DestinationDisplayStatus& status)
{
    return job.name + QStringLiteral(" backup, ") + status.text;
}

QString toggleTitle(const BackupJob& job)
{
    return job.isEnabled ? QStringLiteral("Disable") : QStringLiteral("Enable");
}

} // namespace mv::JobCardPresentation
