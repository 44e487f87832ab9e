#include "ui/models/panel/SummaryFigures.h"

#include "model/Format.h"

namespace mv {

SummaryFigures SummaryFigures::of(
    const StatusBoard::Summary& summary, qsizetype jobCount, const QDateTime& now)
{
    return { Format::relative(summary.lastSuccessfulBackup, now), QString::number(jobCount),
        Format::bytes(summary.totalTransferred) };
}

} // namespace mv
