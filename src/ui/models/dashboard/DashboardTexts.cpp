#include "ui/models/dashboard/DashboardTexts.h"

#include "coordination/HistoryFeed.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

namespace mv {

namespace {

const QString separator = QStringLiteral(" \u00B7 ");

} // namespace

SidebarStatus sidebarStatus(const AggregateStatus& status)
{
    using Kind = AggregateStatus::Kind;
    switch (status.kind) {
    case Kind::running:
        return { status.progress ? QStringLiteral("Backing up ") + Format::percent(*status.progress)
                                 : QStringLiteral("Backing up"),
            PaletteRole::accent, true };
    case Kind::paused:
        return { QStringLiteral("Paused"), PaletteRole::warning, false };
    case Kind::empty:
        return { QStringLiteral("No jobs"), PaletteRole::idle, false };
    case Kind::ready:
        return { QStringLiteral("Ready"), PaletteRole::idle, false };
    case Kind::idle:
        return { QStringLiteral("Up to date"), PaletteRole::success, false };
    case Kind::waiting:
        return { QStringLiteral("Waiting"), PaletteRole::warning, false };
    case Kind::failed:
        return { QStringLiteral("Needs attention"), PaletteRole::danger, false };
    case Kind::offline:
        return { QStringLiteral("Destination offline"), PaletteRole::offline, false };
    case Kind::disabled:
        return { QStringLiteral("All jobs off"), PaletteRole::idle, false };
    }
    return {};
}

QString lastBackupLine(const std::optional<QDateTime>& lastSuccess, const QDateTime& now)
{
    if (!lastSuccess)
        return QStringLiteral("No successful backup yet");
    return QStringLiteral("Last backup ") + Format::relative(lastSuccess, now);
}

QString overviewSubtitle(int activeJobs, int totalJobs, int destinations)
{
    return QString::number(activeJobs)
        + (activeJobs == 1 ? QStringLiteral(" active job") : QStringLiteral(" active jobs")) + separator
        + QString::number(totalJobs) + QStringLiteral(" total") + separator + QString::number(destinations)
        + QStringLiteral(" destinations");
}

QString headerSubtitle(DashboardSection section, const ViewContext& context)
{
    const AppConfiguration& config = context.configuration.config();
    const HistoryStats& stats = context.history.stats();
    switch (section) {
    case DashboardSection::overview: {
        const StatusBoard::Summary& summary = context.status.summary();
        return overviewSubtitle(summary.enabledJobCount, int(config.jobs.size()), summary.destinationCount);
    }
    case DashboardSection::jobs:
        return QStringLiteral("Each destination has its own schedule, status and retry policy.");
    case DashboardSection::destinations:
        return QStringLiteral("Every place your files are copied to.");
    case DashboardSection::activity:
        return QString::number(stats.totalRuns) + QStringLiteral(" recorded runs") + separator
            + Format::bytes(stats.totalBytes) + QStringLiteral(" transferred");
    case DashboardSection::restore:
        return QStringLiteral("Copy files back from any existing backup. Nothing is overwritten silently.");
    case DashboardSection::support:
        return QStringLiteral("Setup help, diagnostics and fixes for common problems.");
    case DashboardSection::settings:
        return config.settings.showMenuBarIcon ? QStringLiteral("Marrowvale lives in the menu bar")
                                               : QStringLiteral("Marrowvale is showing in the taskbar");
    }
    return {};
}

QString modeLabel(BackupMode mode)
{
    switch (mode) {
    case BackupMode::incremental:
        return QStringLiteral("Incremental");
    case BackupMode::mirror:
        return QStringLiteral("Mirror");
    case BackupMode::versioned:
        return QStringLiteral("Versioned");
    }
    return {};
}

QString jobSummary(const BackupJob& job)
{
    const auto count = job.destinations.size();
    return QString::number(count)
        + (count == 1 ? QStringLiteral(" destination") : QStringLiteral(" destinations")) + separator
        + modeLabel(job.mode);
}

} // namespace mv
