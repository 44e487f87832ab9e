#include "model/VolumeInspector.h"

#include "model/PathValidation.h"
#include "platform/VolumeFacts.h"

namespace mv::VolumeInspector {

std::optional<VolumeInfo> volume(const QString& path)
{
    const auto facts = volumeFacts(PathValidation::normalize(path));
    if (!facts)
        return std::nullopt;
    return VolumeInfo { facts->identity, facts->name, facts->fileSystemType, facts->isReadOnly,
        facts->availableBytes };
}

} // namespace mv::VolumeInspector
