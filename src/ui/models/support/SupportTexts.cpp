#include "ui/models/support/SupportTexts.h"

#include "model/Format.h"

namespace mv {

namespace {

QString offlineText(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("None");
    return QString::number(count)
        + (count == 1 ? QStringLiteral(" destination") : QStringLiteral(" destinations"));
}

} // namespace

QList<DiagnosticsLine> diagnosticsLines(const SupportReport& report, const QDateTime& now)
{
    return {
        { QStringLiteral("Marrowvale"),
            report.appVersion + QStringLiteral(" (") + report.appBuild + QStringLiteral(")") },
        { QStringLiteral("System"), report.macOSVersion + QStringLiteral(" \u00B7 ") + report.architecture },
        { QStringLiteral("rsync"), report.rsyncSummary(), report.rsyncPath == SupportReport::notFound },
        { QStringLiteral("Backups"),
            QString::number(report.jobs) + QStringLiteral(" jobs \u00B7 ")
                + QString::number(report.destinations) + QStringLiteral(" destinations") },
        { QStringLiteral("Last backup"), Format::relative(report.lastSuccess, now) },
        { QStringLiteral("Offline"), offlineText(report.offlineDestinations.size()),
            !report.offlineDestinations.isEmpty() },
        { QStringLiteral("History"), QString::number(report.totalRuns) + QStringLiteral(" recorded runs") },
    };
}

QString supportReportFileName(const QDateTime& now)
{
    return QStringLiteral("Marrowvale-support-")
        + now.toLocalTime().toString(QStringLiteral("yyyy-MM-dd-HHmm")) + QStringLiteral(".txt");
}

QString rsyncCheckMessage(const SupportReport& report)
{
    if (report.rsyncPath == SupportReport::notFound)
        return QStringLiteral("rsync was not found. Install it with your package manager, then choose it in "
                              "Settings → Advanced.");
    return QStringLiteral("rsync check: ") + report.rsyncSummary() + QStringLiteral(".");
}

} // namespace mv
