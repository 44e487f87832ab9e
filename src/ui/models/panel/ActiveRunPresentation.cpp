#include "ui/models/panel/ActiveRunPresentation.h"

#include "coordination/RunPhaseGroups.h"

#include "model/Format.h"

#include <algorithm>
#include <cmath>

namespace mv::ActiveRunPresentation {

PhaseLook phaseLook(RunPhase phase)
{
    switch (phase) {
    case RunPhase::queued:
        return { QStringLiteral("Queued"), PaletteRole::accent };
    case RunPhase::preparing:
        return { QStringLiteral("Preparing"), PaletteRole::accent };
    case RunPhase::running:
        return { QStringLiteral("Running"), PaletteRole::accent, true };
    case RunPhase::paused:
        return { QStringLiteral("Paused"), PaletteRole::warning };
    case RunPhase::cancelling:
        return { QStringLiteral("Stopping"), PaletteRole::accent };
    case RunPhase::waiting:
        return { QStringLiteral("Waiting"), PaletteRole::warning };
    case RunPhase::completed:
        return { QStringLiteral("Copied"), PaletteRole::success };
    case RunPhase::failed:
        return { QStringLiteral("Failed"), PaletteRole::danger };
    case RunPhase::cancelled:
        return { QStringLiteral("Cancelled"), PaletteRole::accent };
    }
    return {};
}

std::optional<PauseButton> pauseButton(RunPhase phase)
{
    if (phase == RunPhase::running)
        return PauseButton { QStringLiteral("Pause"), QStringLiteral("pause.fill") };
    if (phase == RunPhase::paused)
        return PauseButton { QStringLiteral("Resume"), QStringLiteral("play.fill") };
    return std::nullopt;
}

bool offersCancel(RunPhase phase)
{
    // Every run that is still live can be cancelled.
    return isLive(phase);
}

QString sourceName(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    const QString trimmed = path.left(end);
    if (trimmed == QLatin1String("/"))
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

std::optional<double> shownFraction(const RunProgress& progress)
{
    if (!progress.fraction || !std::isfinite(*progress.fraction))
        return std::nullopt;
    return std::clamp(*progress.fraction, 0.0, 1.0);
}

QString fractionText(const RunProgress& progress)
{
    const std::optional<double> fraction = shownFraction(progress);
    return fraction ? Format::percent(*fraction) : QStringLiteral("\u2014");
}

Detail detail(const RunProgress& progress)
{
    if (progress.currentFile && !progress.currentFile->isEmpty())
        return { Detail::Kind::file, *progress.currentFile };
    if (progress.message)
        return { Detail::Kind::message, *progress.message };
    return {};
}

QString startedText(const QDateTime& startedAt, const QDateTime& now)
{
    return QStringLiteral("Started ") + Format::relative(startedAt, now);
}

} // namespace mv::ActiveRunPresentation
