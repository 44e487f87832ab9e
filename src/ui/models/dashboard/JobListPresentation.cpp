#include "ui/models/dashboard/JobListPresentation.h"

#include "model/Format.h"

#include <QLocale>

namespace mv::JobListPresentation {

namespace {

// Blanks and tabs, not line breaks.
QStringView trimmedOfBlanks(QStringView text)
{
    const auto blank
        = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text[start]))
        ++start;
    while (end > start && blank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

} // namespace

bool matches(const BackupJob& job, const QString& query)
{
    if (trimmedOfBlanks(query).isEmpty())
        return true;
    const QLocale locale;
    const QString needle = locale.toLower(query);
    const auto finds = [&](const QString& field) { return locale.toLower(field).contains(needle); };
    if (finds(job.name) || finds(job.source.path))
        return true;
    for (const BackupDestination& destination : job.destinations) {
        if (finds(destination.name) || finds(destination.path))
            return true;
    }
    return false;
}

QList<BackupJob> filtered(const QList<BackupJob>& jobs, const QString& query, bool showDisabled)
{
    QList<BackupJob> shown;
    for (const BackupJob& job : jobs) {
        if (matches(job, query) && (showDisabled || job.isEnabled))
            shown.append(job);
    }
    return shown;
}

QString destinationSummary(const BackupJob& job)
{
    QStringList names;
    for (qsizetype i = 0; i < std::min<qsizetype>(2, job.destinations.size()); ++i)
        names.append(job.destinations[i].name);
    QString summary = names.join(QStringLiteral(", "));
    if (job.destinations.size() > 2)
        summary += QStringLiteral(" +") + QString::number(job.destinations.size() - 2);
    return summary.isEmpty() ? QStringLiteral("No destinations") : summary;
}

QString lastRunLine(const std::optional<QDateTime>& lastActivity, const QDateTime& now)
{
    if (!lastActivity)
        return QStringLiteral("Never run");
    return QStringLiteral("Last run ") + Format::relative(lastActivity, now);
}

} // namespace mv::JobListPresentation
