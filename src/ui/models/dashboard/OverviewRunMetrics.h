#pragma once

#include "model/RunProgress.h"

#include <QStringList>

namespace mv {

// The figures under a live run's bar, in order: the speed ("12 MB/s", "—" without a positive finite speed),
// the amount ("3 of 12 files", the bytes copied, or "Building file list") and, when known, the time left.
QStringList overviewRunMetrics(const RunProgress& progress);

} // namespace mv
