#include "ui/models/dashboard/ActivitySectionLogic.h"

#include "model/Format.h"

#include <algorithm>
#include <limits>

namespace mv::ActivitySectionLogic {

const QList<ResultChoice>& resultChoices()
{
    static const QList<ResultChoice> choices {
        { QStringLiteral("All results"), std::nullopt },
        { QStringLiteral("Copied"), RunResult::success },
        { QStringLiteral("Failed"), RunResult::failed },
        { QStringLiteral("Cancelled"), RunResult::cancelled },
        { QStringLiteral("Missed"), RunResult::missed },
        { QStringLiteral("Interrupted"), RunResult::interrupted },
    };
    return choices;
}

Summary summary(const std::vector<BackupRunRecord>& records)
{
    Summary figures;
    qint64 bytes = 0;
    for (const BackupRunRecord& record : records) {
        ++figures.runs;
        figures.copied += record.result == RunResult::success ? 1 : 0;
        figures.failed += record.result == RunResult::failed ? 1 : 0;
        // A damaged history could hold counts whose sum overflows: the total stops at the largest count.
        if (__builtin_add_overflow(bytes, record.bytesTransferred, &bytes))
            bytes = std::numeric_limits<qint64>::max();
    }
    figures.transferred = Format::bytes(std::max<qint64>(0, bytes));
    figures.failedColor = figures.failed >= 1 ? PaletteRole::danger : PaletteRole::labelSecondary;
    return figures;
}

QString historyKeptText(qint64 days)
{
    return QStringLiteral("History kept for %1 days").arg(days);
}

QString emptyMessage(const QString& query)
{
    return query.isEmpty() ? QStringLiteral("Runs appear here after the first backup.")
                           : QStringLiteral("No runs match this search and filter.");
}

std::optional<QUuid> selectionAfterLoad(
    const std::vector<BackupRunRecord>& records, const std::optional<QUuid>& selected)
{
    if (selected && std::any_of(records.begin(), records.end(), [&](const BackupRunRecord& record) {
            return record.id == *selected;
        }))
        return selected;
    if (records.empty())
        return std::nullopt;
    return records.front().id;
}

} // namespace mv::ActivitySectionLogic
