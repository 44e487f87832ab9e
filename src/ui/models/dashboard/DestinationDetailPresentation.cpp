#include "ui/models/dashboard/DestinationDetailPresentation.h"

#include "model/EffectiveValues.h"
#include "model/Format.h"

namespace mv::DestinationDetailPresentation {

QString countsLine(qint64 destinations, qint64 jobs)
{
    return QStringLiteral("%1 destinations across %2 jobs").arg(destinations).arg(jobs);
}

QStringList factsLine(const BackupJob& job, const BackupDestination& destination, const QDateTime& now)
{
    const BackupSchedule& schedule = effectiveSchedule(job, destination);
    QStringList facts { schedule.summary(), QStringLiteral("\u00B7"),
        destination.lastSuccess
            ? QStringLiteral("Last success ") + Format::relative(destination.lastSuccess, now)
            : QStringLiteral("No successful run") };
    if (destination.nextRun && schedule.kind != ScheduleKind::manual)
        facts << QStringLiteral("\u00B7")
              << QStringLiteral("Next ") + Format::relative(destination.nextRun, now);
    return facts;
}

std::optional<QString> errorLine(const BackupDestination& destination, const QString& statusText)
{
    const bool troubled = statusText == QLatin1String("Failed") || statusText == QLatin1String("Offline")
        || statusText == QLatin1String("Needs review");
    if (!troubled || !destination.lastError)
        return std::nullopt;
    return destination.lastError;
}

} // namespace mv::DestinationDetailPresentation
