#pragma once

#include "model/Enumerations.h"
#include "model/PaletteRole.h"

#include <QString>

#include <optional>

namespace mv {

// The chip of a live run on the overview's active-runs card: "Queued", "Preparing", "Running" (pulsing),
// "Paused", "Stopping"; none for a phase that is no longer live.
struct RunPhaseChip {
    QString text;
    PaletteRole color = PaletteRole::accent;
    bool pulsing = false;

    bool operator==(const RunPhaseChip&) const = default;
};
std::optional<RunPhaseChip> runPhaseChip(RunPhase phase);

} // namespace mv
