#include "model/VolumeInspector.h"

#include "model/PathValidation.h"
#include "platform/VolumeFacts.h"

using namespace Qt::StringLiterals;

namespace mv::VolumeInspector {

std::optional<VolumeInfo> volume(const QString& path)
{
    const auto facts = volumeFacts(PathValidation::normalize(path));
    if (!facts)
        return std::nullopt;
    return VolumeInfo { facts->identity, facts->name, facts->fileSystemType, facts->isReadOnly,
        facts->availableBytes };
}

bool isExternal(const QString& path)
{
    const auto facts = volumeFacts(PathValidation::normalize(path));
    return facts && detail::isExternalMountPoint(facts->mountPoint);
}

namespace detail {

bool isExternalMountPoint(const QString& mountPoint)
{
    for (const QLatin1StringView place : { "/media"_L1, "/run/media"_L1, "/mnt"_L1 }) {
        if (mountPoint == place || mountPoint.startsWith(place + u'/'))
            return true;
    }
    return false;
}

} // namespace detail

} // namespace mv::VolumeInspector
