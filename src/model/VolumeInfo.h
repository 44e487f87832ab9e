#pragma once

#include <QHashFunctions>
#include <QString>

#include <optional>

namespace mv {

// The volume that holds a path. Only equality of identities is ever compared: it tells whether the same
// drive is still mounted where a folder was chosen.
struct VolumeInfo {
    QString identity;
    QString name;
    QString fileSystem;
    bool isReadOnly = false;
    // Bytes an unprivileged user may still write; absent when nothing is free.
    std::optional<qint64> availableBytes;

    bool operator==(const VolumeInfo&) const = default;
};

size_t qHash(const VolumeInfo& volume, size_t seed = 0);

} // namespace mv
