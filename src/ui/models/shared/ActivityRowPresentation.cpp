#include "ui/models/shared/ActivityRowPresentation.h"

#include "model/Format.h"

namespace mv::ActivityRowPresentation {

PaletteRole resultColor(RunResult result)
{
    switch (result) {
    case RunResult::running:
        return PaletteRole::accent;
    case RunResult::success:
        return PaletteRole::success;
    case RunResult::failed:
        return PaletteRole::danger;
    case RunResult::cancelled:
    case RunResult::interrupted:
    case RunResult::missed:
    case RunResult::skipped:
        return PaletteRole::warning;
    }
    return PaletteRole::warning;
}

std::optional<QString> errorLine(const BackupRunRecord& record)
{
    if (record.result == RunResult::success || !record.errorSummary || record.errorSummary->isEmpty())
        return std::nullopt;
    return record.errorSummary;
}

QString timeText(const BackupRunRecord& record, const QDateTime& now)
{
    return Format::relative(record.endedAt ? record.endedAt : record.startedAt, now);
}

} // namespace mv::ActivityRowPresentation
