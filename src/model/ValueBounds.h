#pragma once

#include <QtGlobal>

namespace mv {

struct ValueRange {
    qint64 minimum;
    qint64 maximum;
};

// What the numbers of the configuration document are held to when read: the ranges their users act on. A
// stored value outside them is brought to the nearest end, so no user ever meets one it would have to narrow.
namespace ValueBounds {

inline constexpr ValueRange maxConcurrentJobs { 1, 4 };
inline constexpr ValueRange retryAttempts { 0, 5 };
inline constexpr ValueRange retryDelaySeconds { 5, 86'400 };
// 0 keeps every record; a century is as good as forever and fits every count of days.
inline constexpr ValueRange historyRetentionDays { 0, 36'500 };
// 0 is no limit; the top is far beyond any link and still fits rsync's own arithmetic.
inline constexpr ValueRange bandwidthLimitKBps { 0, 1'000'000'000 };
inline constexpr ValueRange snapshotRetention { 1, 10'000 };

} // namespace ValueBounds

} // namespace mv
