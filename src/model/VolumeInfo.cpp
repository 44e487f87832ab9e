#include "model/VolumeInfo.h"

namespace mv {

size_t qHash(const VolumeInfo& volume, size_t seed)
{
    return qHashMulti(seed, volume.identity, volume.name, volume.fileSystem, volume.isReadOnly,
        volume.availableBytes.value_or(-1), volume.availableBytes.has_value());
}

} // namespace mv
