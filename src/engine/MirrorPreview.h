#pragma once

#include <QStringList>

namespace mv {

// What a mirror run would delete: the first 200 paths in the order rsync reported them, and the full count.
struct MirrorPreview {
    QStringList deletions;
    qint64 totalDeletions = 0;

    bool operator==(const MirrorPreview&) const = default;
};

} // namespace mv
