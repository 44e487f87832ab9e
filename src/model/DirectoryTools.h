#pragma once

#include "platform/Clock.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace mv {

namespace DirectoryTools {

// Creates the folder `path` (used as given) with the folders above it. Does nothing when a folder is
// already there. Throws PathValidationError when a file is in the way, FileSystemError when the system
// refuses.
void createDirectoryIfNeeded(const QString& path);

// Whether the folder holds at least one direct child whose name none of the exclusion patterns match.
// Patterns are trimmed and stripped of trailing "/"; those still holding a "/" exclude nothing. A folder
// that cannot be listed answers false.
bool containsIncludedItem(const QString& path, const QStringList& patterns);

inline constexpr qint64 quickSizeEntryLimit = 300'000;

// The bytes of the regular files under `path`, hidden files and folders skipped; absent when `budget`
// seconds pass or more than `entryLimit` entries are met before the walk ends, or the folder cannot be
// walked. Blocks its caller for at most about the budget.
std::optional<qint64> quickSize(const QString& path, double budget, Clock& clock = Clock::system(),
    qint64 entryLimit = quickSizeEntryLimit);

} // namespace DirectoryTools

} // namespace mv
