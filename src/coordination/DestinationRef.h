#pragma once

#include <QHashFunctions>
#include <QUuid>

namespace mv {

// One destination of one job: the key of the destination monitor's availability map.
struct DestinationRef {
    QUuid jobID;
    QUuid destinationID;

    bool operator==(const DestinationRef&) const = default;
};

inline size_t qHash(const DestinationRef& ref, size_t seed = 0) noexcept
{
    return qHashMulti(seed, ref.jobID, ref.destinationID);
}

} // namespace mv
