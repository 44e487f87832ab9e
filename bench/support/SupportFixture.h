#pragma once

#include <QString>

namespace mv::bench {

// A support folder as a long-time user's: `jobs` jobs of `destinationsPerJob` daily destinations each, last
// backed up successfully, and `historyRows` runs in the history; the history is kept for ten years, so a
// launch's pruning finds nothing to delete.
void prepareSupportFolder(const QString& support, int jobs, int destinationsPerJob, int historyRows);

} // namespace mv::bench
