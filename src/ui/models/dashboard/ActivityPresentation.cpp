#include "ui/models/dashboard/ActivityPresentation.h"

#include "model/Format.h"

#include <QLocale>

namespace mv::ActivityPresentation {

namespace {

const QString middleDot = QStringLiteral("\u00B7");

QStringList countParts(const BackupRunRecord& record)
{
    QStringList parts { QString::number(record.filesCopied) + QStringLiteral(" copied"),
        QString::number(record.filesUpdated) + QStringLiteral(" updated") };
    if (record.filesDeleted >= 1)
        parts << QString::number(record.filesDeleted) + QStringLiteral(" deleted");
    return parts;
}

} // namespace

QString resultLabel(RunResult result)
{
    switch (result) {
    case RunResult::running:
        return QStringLiteral("Running");
    case RunResult::success:
        return QStringLiteral("Copied");
    case RunResult::failed:
        return QStringLiteral("Failed");
    case RunResult::cancelled:
        return QStringLiteral("Cancelled");
    case RunResult::interrupted:
        return QStringLiteral("Interrupted");
    case RunResult::missed:
        return QStringLiteral("Missed");
    case RunResult::skipped:
        return QStringLiteral("Skipped");
    }
    return {};
}

QString triggerLabel(RunTrigger trigger)
{
    switch (trigger) {
    case RunTrigger::manual:
        return QStringLiteral("Manual");
    case RunTrigger::schedule:
        return QStringLiteral("Schedule");
    case RunTrigger::onMount:
        return QStringLiteral("Destination available");
    case RunTrigger::retry:
        return QStringLiteral("Retry");
    case RunTrigger::restore:
        return QStringLiteral("Restore");
    }
    return {};
}

QString byteCountText(qint64 bytes)
{
    return bytes < 1 ? QStringLiteral("No data") : Format::bytes(bytes);
}

QString rowFileCounts(const BackupRunRecord& record)
{
    return countParts(record).join(QStringLiteral(", "));
}

QString fileSummary(const BackupRunRecord& record)
{
    return countParts(record).join(QStringLiteral(" \u00B7 "));
}

std::optional<QString> durationText(const BackupRunRecord& record)
{
    if (!record.endedAt)
        return std::nullopt;
    return Format::duration(double(std::max<qint64>(0, record.startedAt.msecsTo(*record.endedAt))) / 1000.0);
}

QStringList factLine(const BackupRunRecord& record)
{
    QStringList facts { triggerLabel(record.trigger), middleDot, byteCountText(record.bytesTransferred),
        middleDot, rowFileCounts(record) };
    if (const std::optional<QString> duration = durationText(record))
        facts << middleDot << *duration;
    return facts;
}

QString startTimeText(const BackupRunRecord& record)
{
    return QLocale().toString(record.startedAt.toLocalTime().time(), QLocale::ShortFormat);
}

std::optional<QString> errorSummary(const BackupRunRecord& record)
{
    if (!record.errorSummary || record.errorSummary->isEmpty())
        return std::nullopt;
    return record.errorSummary;
}

PaletteRole rowErrorColor(RunResult result)
{
    return result == RunResult::success ? PaletteRole::labelTertiary : PaletteRole::danger;
}

PaletteRole inspectorErrorColor(RunResult result)
{
    return result == RunResult::success ? PaletteRole::labelSecondary : PaletteRole::danger;
}

} // namespace mv::ActivityPresentation
