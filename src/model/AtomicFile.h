#pragma once

#include <QByteArray>
#include <QString>

namespace mv::AtomicFile {

// Writes `bytes` to `path` in full beside it and then puts the file in place, so a reader sees the old
// file or the new one, never half of one. The file is owner-only (0600). Throws FileSystemError.
void write(const QString& path, const QByteArray& bytes);

} // namespace mv::AtomicFile
