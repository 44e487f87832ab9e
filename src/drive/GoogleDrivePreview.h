#pragma once

#include <QStringList>

namespace mv {

// What a mirror run would move to the Drive trash: the first 200 paths (below the destination folder) in
// path order, and how many there are in all.
struct GoogleDrivePreview {
    static constexpr qsizetype shownDeletions = 200;

    QStringList deletions;
    qsizetype totalDeletions = 0;

    bool operator==(const GoogleDrivePreview&) const = default;
};

} // namespace mv
