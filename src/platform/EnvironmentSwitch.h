#pragma once

namespace mv {

// An environment switch (MARROWVALE_DEMO, MARROWVALE_REDUCE_MOTION, the shell's debug switches) is on only
// when its value is exactly "1": "true", "yes", "0" or an empty value leave it off, so a stray setting never
// turns on a path by accident.
bool environmentSwitch(const char* name);

} // namespace mv
