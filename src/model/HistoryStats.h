#pragma once

#include <QDateTime>

#include <optional>

namespace mv {

// Totals over the whole run history. Runs that neither succeeded nor failed count only in totalRuns.
struct HistoryStats {
    qint64 totalRuns = 0;
    qint64 successRuns = 0;
    qint64 failedRuns = 0;
    qint64 totalBytes = 0;
    std::optional<QDateTime> lastSuccess; // the latest end of a successful run

    friend bool operator==(const HistoryStats&, const HistoryStats&) = default;
};

} // namespace mv
