#pragma once

#include "coordination/Availability.h"

namespace mv {

struct BackupDestination;

// Whether a drive or share destination can be written to now, judged from the file system: its folder (or
// the folder above it) must exist and, when a volume was recorded for it, lie on that volume. Blocks while it
// reads the file system, which on a hung network mount may be forever: never call it on the main thread.
Availability judgeDestination(const BackupDestination& destination);

} // namespace mv
