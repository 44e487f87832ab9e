#include "ui/models/dashboard/RunPhaseChip.h"

namespace mv {

std::optional<RunPhaseChip> runPhaseChip(RunPhase phase)
{
    switch (phase) {
    case RunPhase::queued:
        return RunPhaseChip { QStringLiteral("Queued"), PaletteRole::accent, false };
    case RunPhase::preparing:
        return RunPhaseChip { QStringLiteral("Preparing"), PaletteRole::accent, false };
    case RunPhase::running:
        return RunPhaseChip { QStringLiteral("Running"), PaletteRole::accent, true };
    case RunPhase::paused:
        return RunPhaseChip { QStringLiteral("Paused"), PaletteRole::warning, false };
    case RunPhase::cancelling:
        return RunPhaseChip { QStringLiteral("Stopping"), PaletteRole::accent, false };
    default:
        return std::nullopt;
    }
}

} // namespace mv
