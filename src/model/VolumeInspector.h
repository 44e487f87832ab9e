#pragma once

#include "model/VolumeInfo.h"

#include <QString>

#include <optional>

namespace mv::VolumeInspector {

// The volume holding `path`; absent when the path normalizes to empty text or cannot be inspected (as a
// path that does not exist). Blocks while it reads the file system.
std::optional<VolumeInfo> volume(const QString& path);

// Whether `path` lies on an external volume: one mounted where desktops mount plugged-in drives and people
// mount other disks by hand (under /media, /run/media or /mnt), not a volume of the system itself. False
// when the path cannot be inspected. Blocks while it reads the file system.
bool isExternal(const QString& path);

namespace detail {
// The rule of isExternal() for a volume mounted at `mountPoint`.
bool isExternalMountPoint(const QString& mountPoint);
} // namespace detail

} // namespace mv::VolumeInspector
