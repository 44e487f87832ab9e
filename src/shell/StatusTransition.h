#pragma once

#include "model/AggregateStatus.h"

#include <optional>

namespace mv {

// Whether the overall status going from `last` to `now` is the end of a run, and how it went: true when a
// running status became idle or waiting, false when it became failed or offline; none for every other
// change (from paused, to ready, empty or disabled, or with no status before).
std::optional<bool> finishedRun(const std::optional<AggregateStatus>& last, const AggregateStatus& now);

} // namespace mv
