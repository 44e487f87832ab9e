#include "ui/models/dashboard/HealthPresentation.h"

namespace mv {

namespace {

QString counted(qint64 count, const QString& one, const QString& many)
{
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

} // namespace

HealthAppearance healthAppearance(const AggregateStatus& status)
{
    using Kind = AggregateStatus::Kind;
    const QString title = status.headline();
    switch (status.kind) {
    case Kind::running:
        return { PaletteRole::accent, QStringLiteral("arrow.triangle.2.circlepath"), title,
            QStringLiteral("You can close this panel. The backup keeps running."), true };
    case Kind::paused:
        return { PaletteRole::warning, QStringLiteral("pause.circle.fill"), title,
            QStringLiteral("Resume from the panel or the dashboard."), false };
    case Kind::empty:
        return { PaletteRole::idle, QStringLiteral("tray"), title,
            QStringLiteral("Add a folder to protect it."), false };
    case Kind::ready:
        return { PaletteRole::idle, QStringLiteral("shield"), title,
            QStringLiteral("Run a backup, or leave a schedule to start it."), false };
    case Kind::idle:
        return { PaletteRole::success, QStringLiteral("checkmark.circle.fill"), title,
            QStringLiteral("The next scheduled run will start automatically."), false };
    case Kind::waiting:
        return { PaletteRole::warning, QStringLiteral("clock.fill"), title,
            QStringLiteral("The next check runs in a moment."), false };
    case Kind::failed:
        return { PaletteRole::danger, QStringLiteral("exclamationmark.triangle.fill"), title,
            QStringLiteral("Open Activity to read what happened."), false };
    case Kind::offline:
        return { PaletteRole::offline, QStringLiteral("bolt.horizontal.circle.fill"), title,
            QStringLiteral("Reconnect the drive or share to continue."), false };
    case Kind::disabled:
        return { PaletteRole::idle, QStringLiteral("minus.circle"), title,
            QStringLiteral("Turn a job back on to resume backups."), false };
    }
    return {};
}

QList<HealthFact> healthFacts(int enabledJobs, int destinations, qint64 failedRuns)
{
    QList<HealthFact> facts {
        { QString::number(enabledJobs)
                + (enabledJobs == 1 ? QStringLiteral(" active job") : QStringLiteral(" active jobs")),
            PaletteRole::labelSecondary },
        { counted(destinations, QStringLiteral("destination"), QStringLiteral("destinations")),
            PaletteRole::labelSecondary },
    };
    if (failedRuns >= 1)
        facts.append({ counted(failedRuns, QStringLiteral("failed run"), QStringLiteral("failed runs")),
            PaletteRole::danger });
    return facts;
}

} // namespace mv
