#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace mv::GoogleDriveEngine {

// The MD5 digest of the regular file at `path` (the file system's bytes), as 32 lower-case hexadecimal
// digits, read in chunks of 1 MiB into one buffer per thread. None when the file cannot be opened, is not a
// regular file (a link or a FIFO put in its place is neither followed nor waited on), or cannot be read to
// its end: a digest of part of a file would be a wrong answer, not a partial one. Blocks; call it off the
// main thread.
std::optional<QString> md5(const QByteArray& path);

} // namespace mv::GoogleDriveEngine
