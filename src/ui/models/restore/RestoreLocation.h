#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace mv {

// Where restored items are written: back where they came from, or under a folder the user picks.
enum class RestoreLocation { original, custom };

// "original", "custom"; fromString answers none for any other text.
QString toString(RestoreLocation location);
std::optional<RestoreLocation> restoreLocationFromString(const QString& text);
QList<RestoreLocation> allRestoreLocations();
// The segment titles: "Original location", "Another folder".
QString restoreLocationTitle(RestoreLocation location);

} // namespace mv
