#include "ui/models/support/SupportReport.h"

#include "model/Format.h"
#include "model/Redactor.h"

#include <QDir>

namespace mv {

namespace {

QString number(qint64 value)
{
    return QString::number(value);
}

QString modeLabel(BackupMode mode)
{
    switch (mode) {
    case BackupMode::incremental:
        return QStringLiteral("Incremental copy");
    case BackupMode::mirror:
        return QStringLiteral("Mirror");
    case BackupMode::versioned:
        return QStringLiteral("Versioned");
    }
    return QStringLiteral("Incremental copy");
}

QString failureLine(const BackupRunRecord& run)
{
    return QStringLiteral("- ") + Format::mediumDateTime(run.startedAt) + QStringLiteral(" \u00B7 ")
        + run.jobName + QStringLiteral(" \u2192 ") + run.destinationName + QStringLiteral(": ")
        + run.errorSummary.value_or(QStringLiteral("Failed"));
}

} // namespace

SupportReport SupportReport::make(const SupportReportInputs& inputs)
{
    SupportReport report;
    report.generatedAt = inputs.now;
    report.appVersion
        = inputs.system.appVersion.isEmpty() ? QStringLiteral("Development build") : inputs.system.appVersion;
    report.appBuild = inputs.system.appBuild.isEmpty() ? QStringLiteral("\u2014") : inputs.system.appBuild;
    report.macOSVersion = inputs.system.systemVersion;
    report.architecture = inputs.system.architecture;
    report.rsyncPath = inputs.rsyncExecutable.value_or(notFound);
    report.rsyncVersion = inputs.rsyncExecutable && inputs.rsyncVersion
        ? QStringLiteral("v") + inputs.rsyncVersion->description()
        : QStringLiteral("Unknown");

    report.jobs = inputs.jobs.size();
    for (const BackupJob& job : inputs.jobs) {
        for (const BackupDestination& destination : job.destinations) {
            ++report.destinations;
            if (destination.isEnabled)
                ++report.enabledDestinations;
            const Availability availability
                = inputs.availability.value({ job.id, destination.id }, Availability::unknown());
            if (availability.isOffline())
                report.offlineDestinations << job.name + QStringLiteral(" \u2192 ") + destination.name
                        + QStringLiteral(": ") + Redactor::redact(availability.reason);
        }
    }
    report.lastSuccess = inputs.lastSuccess;
    report.totalRuns = inputs.totalRuns;
    for (BackupRunRecord run : inputs.failedRuns) {
        if (std::ssize(report.failedRuns) == failureLimit)
            break;
        if (run.errorSummary)
            run.errorSummary = Redactor::redact(*run.errorSummary);
        report.failedRuns.push_back(run);
    }
    report.defaultMode = inputs.settings.defaultMode;
    report.maxConcurrency = inputs.settings.maxConcurrentJobs;

    const QString folder = QDir::cleanPath(inputs.supportFolder);
    report.dataFolder = folder;
    report.historyPath = folder + QStringLiteral("/history.sqlite");
    report.logsPath = folder + QStringLiteral("/Logs");
    return report;
}

QString SupportReport::rsyncSummary() const
{
    if (rsyncPath == notFound)
        return QStringLiteral("rsync was not found");
    return rsyncVersion + QStringLiteral(" at ") + rsyncPath;
}

QString SupportReport::text() const
{
    QStringList lines {
        QStringLiteral("Marrowvale support report"),
        QStringLiteral("Generated: ") + Format::mediumDateTime(generatedAt),
        QString(),
        QStringLiteral("App: ") + appVersion + QStringLiteral(" (build ") + appBuild + QStringLiteral(")"),
        QStringLiteral("System: ") + macOSVersion,
        QStringLiteral("Architecture: ") + architecture,
        QStringLiteral("rsync: ") + rsyncSummary(),
        QString(),
        QStringLiteral("Jobs: ") + number(jobs),
        QStringLiteral("Destinations: ") + number(destinations) + QStringLiteral(" total, ")
            + number(enabledDestinations) + QStringLiteral(" enabled"),
        QStringLiteral("Offline destinations: ") + number(offlineDestinations.size()),
        QStringLiteral("Last successful backup: ")
            + (lastSuccess ? Format::mediumDateTime(*lastSuccess) : QStringLiteral("Never")),
        QStringLiteral("Recorded runs: ") + number(totalRuns),
        QStringLiteral("Default mode: ") + modeLabel(defaultMode),
        QStringLiteral("Concurrent runs: ") + number(maxConcurrency),
        QString(),
        QStringLiteral("Data folder: ") + dataFolder,
        QStringLiteral("History file: ") + historyPath,
        QStringLiteral("Logs: ") + logsPath,
    };
    if (!offlineDestinations.isEmpty()) {
        lines << QString() << QStringLiteral("Offline destinations");
        for (const QString& entry : offlineDestinations)
            lines << QStringLiteral("- ") + entry;
    }
    if (!failedRuns.empty()) {
        lines << QString() << QStringLiteral("Recent failures");
        for (const BackupRunRecord& run : failedRuns)
            lines << failureLine(run);
    }
    lines << QString() << QStringLiteral("No passwords or keyring items are included.")
          << QStringLiteral("Review paths before sharing this report.");
    return lines.join(QLatin1Char('\n'));
}

} // namespace mv
