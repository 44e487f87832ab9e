#include "ui/models/restore/RestoreLocation.h"

namespace mv {

QString toString(RestoreLocation location)
{
    return location == RestoreLocation::original ? QStringLiteral("original") : QStringLiteral("custom");
}

std::optional<RestoreLocation> restoreLocationFromString(const QString& text)
{
    for (RestoreLocation location : allRestoreLocations()) {
        if (toString(location) == text)
            return location;
    }
    return std::nullopt;
}

QList<RestoreLocation> allRestoreLocations()
{
    return { RestoreLocation::original, RestoreLocation::custom };
}

QString restoreLocationTitle(RestoreLocation location)
{
    return location == RestoreLocation::original ? QStringLiteral("Original location")
                                                 : QStringLiteral("Another folder");
}

} // namespace mv
