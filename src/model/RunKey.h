#pragma once

#include <QHashFunctions>
#include <QUuid>

#include <compare>
#include <cstddef>
#include <functional>

namespace mv {

// Names one destination's run everywhere: maps of runs, tasks, controllers and timers are keyed by it.
struct RunKey {
    QUuid jobID;
    QUuid destinationID;

    bool operator==(const RunKey&) const = default;
    std::weak_ordering operator<=>(const RunKey&) const = default;
};

inline size_t qHash(const RunKey& key, size_t seed = 0) noexcept
{
    return qHashMulti(seed, key.jobID, key.destinationID);
}

} // namespace mv

template <> struct std::hash<mv::RunKey> {
    std::size_t operator()(const mv::RunKey& key) const noexcept { return mv::qHash(key); }
};
