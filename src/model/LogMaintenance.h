#pragma once

#include "platform/Clock.h"

namespace mv::LogMaintenance {

// Removes every entry directly inside the Logs folder (hidden ones included, folders with their contents)
// last modified more than `days` days before now. Symbolic links are removed as links and never followed.
// Nothing happens for `days` <= 0; every failure leaves the entry in place and is not reported.
void prune(int days, const Clock& clock = Clock::system());

} // namespace mv::LogMaintenance
