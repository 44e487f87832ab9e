#pragma once

#include "drive/GoogleProgressSnapshot.h"

#include <optional>

namespace mv {

// Where a Drive run's transfer pass stands, and the one rule that turns it into a progress report.
struct ProgressCounts {
    // Estimates beyond this many seconds are not shown.
    static constexpr double longestEta = 86'400;

    qint64 doneBytes = 0; // skipped files and the current file's part included
    qint64 totalBytes = 0; // the plan's
    qsizetype filesDone = 0; // skipped files included
    qsizetype fileCount = 0; // the plan's
    std::optional<QString> currentFile;

    // The report at `rate` bytes per second: the fraction by bytes when the plan has any, else by files,
    // else none; the time left only while the rate is above 0, bytes remain and it is at most a day.
    GoogleProgressSnapshot snapshot(double rate) const;
};

} // namespace mv
