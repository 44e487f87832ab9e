#pragma once

#include <QString>

namespace mv::test {

// The permission bits of `path` (0600, 0700 …), following a link; -1 when it cannot be read.
int permissionBits(const QString& path);

} // namespace mv::test
