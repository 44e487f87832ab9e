#pragma once

#include "model/Enumerations.h"

namespace mv {

// Live: queued, preparing, running, paused, cancelling. A live run is listed, holds its folder against a
// second writer and keeps its key from being queued again; a live restore keeps a second one from starting.
inline bool isLive(RunPhase phase)
{
    switch (phase) {
    case RunPhase::queued:
    case RunPhase::preparing:
    case RunPhase::running:
    case RunPhase::paused:
    case RunPhase::cancelling:
        return true;
    default:
        return false;
    }
}

// Active: the live phases except queued; these count against the concurrency limit.
inline bool isActive(RunPhase phase)
{
    return phase != RunPhase::queued && isLive(phase);
}

} // namespace mv
