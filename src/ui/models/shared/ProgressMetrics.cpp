#include "ui/models/shared/ProgressMetrics.h"

#include "model/Format.h"

#include <cmath>

namespace mv {

namespace {
// 2^63: the first value a qint64 cannot hold.
constexpr double byteCountLimit = 9223372036854775808.0;
} // namespace

QString ProgressMetrics::speedText(double bytesPerSecond)
{
    if (!std::isfinite(bytesPerSecond) || !(bytesPerSecond > 0) || bytesPerSecond >= byteCountLimit)
        return QStringLiteral("\u2014");
    return Format::bytes(qint64(bytesPerSecond)) + QStringLiteral("/s");
}

std::optional<ProgressMetrics> ProgressMetrics::of(const RunProgress& progress)
{
    if (progress.phase == RunPhase::queued)
        return std::nullopt;
    const bool paused = progress.phase == RunPhase::paused;
    ProgressMetrics metrics;
    if (!paused)
        metrics.speed = speedText(progress.bytesPerSecond);
    if (progress.filesTotal >= 1)
        metrics.amount = Format::grouped(progress.filesCompleted) + QStringLiteral(" of ")
            + Format::grouped(progress.filesTotal) + QStringLiteral(" files");
    else if (progress.bytesTransferred >= 1)
        metrics.amount = Format::bytes(progress.bytesTransferred);
    else
        metrics.amount = QStringLiteral("Building file list");
    if (progress.etaSeconds && !paused)
        metrics.timeLeft = Format::eta(progress.etaSeconds);
    return metrics;
}

QStringList ProgressMetrics::parts() const
{
    QStringList parts;
    if (speed)
        parts.append(*speed);
    parts.append(amount);
    if (timeLeft)
        parts.append(*timeLeft);
    return parts;
}

} // namespace mv
