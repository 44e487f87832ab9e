#include "ui/models/dashboard/OverviewRunMetrics.h"

#include "model/Format.h"

#include <cmath>
#include <limits>

namespace mv {

QStringList overviewRunMetrics(const RunProgress& progress)
{
    QStringList parts;
    const double speed = progress.bytesPerSecond;
    const bool knownSpeed
        = std::isfinite(speed) && speed > 0 && speed < double(std::numeric_limits<qint64>::max());
    parts.append(knownSpeed ? Format::bytes(qint64(speed)) + QStringLiteral("/s") : QStringLiteral("\u2014"));
    if (progress.filesTotal >= 1)
        parts.append(Format::grouped(progress.filesCompleted) + QStringLiteral(" of ")
            + Format::grouped(progress.filesTotal) + QStringLiteral(" files"));
    else if (progress.bytesTransferred >= 1)
        parts.append(Format::bytes(progress.bytesTransferred));
    else
        parts.append(QStringLiteral("Building file list"));
    if (progress.etaSeconds)
        parts.append(Format::eta(progress.etaSeconds));
    return parts;
}

} // namespace mv
