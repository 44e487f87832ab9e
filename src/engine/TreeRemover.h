#pragma once

#include <QString>

#include <optional>

namespace mv::TreeRemover {

// Removes `path` and, when it is a real folder, everything inside it. A symbolic link is never followed:
// the link itself is removed, whether it is `path` or an entry below it. Answers nothing on success, or
// what stopped the removal, such as "Permission denied (/backup/2026-12-10_120000/notes.txt)"; whatever
// was removed before the failure stays removed. A folder inside that its owner may not write to (a copy
// keeps its source's mode) is opened up first, since it is going too. The removal never crosses into another
// file system: a folder inside on which something is mounted (a bind mount of an outside folder, say) is
// left whole, and the removal answers that it could not finish.
std::optional<QString> remove(const QString& path);

} // namespace mv::TreeRemover
