#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv::Bookmark {

// A bookmark remembers a folder as its path together with the device and inode numbers it had, so the
// program can tell later whether that path still holds the same folder (and not, say, an empty mount point
// or a different drive mounted in its place). The bytes are versioned; the model stores them as Base64.

// The bookmark of the existing file or folder at `path`, or none when it cannot be read.
std::optional<QByteArray> create(const QString& path);

// The bookmarked path when it still holds the same file or folder; none when it does not, or when the bytes
// are not a bookmark this program wrote (they come from a file a person can edit). Callers then fall back
// to the path they stored themselves.
std::optional<QString> resolve(const QByteArray& data);

} // namespace mv::Bookmark
