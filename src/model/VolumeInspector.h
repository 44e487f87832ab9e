#pragma once

#include "model/VolumeInfo.h"

#include <QString>

#include <optional>

namespace mv::VolumeInspector {

// The volume holding `path`; absent when the path normalizes to empty text or cannot be inspected (as a
// path that does not exist). Blocks while it reads the file system.
std::optional<VolumeInfo> volume(const QString& path);

} // namespace mv::VolumeInspector
