#pragma once

#include "drive/ScanResult.h"
#include "model/TransferOptions.h"

#include <QString>

namespace mv::GoogleDriveEngine {

// Walks the source folder (its real path: a source that is a link to a folder is followed) and lists what
// a Drive backup holds: regular files and folders, hidden ones included, minus what the options'
// exclusion patterns exclude. Excluded folders are never opened. Symbolic links are never followed: each
// gives a warning. Devices, sockets and pipes are passed over. A name that is not valid UTF-8 is skipped
// with a warning; a folder or entry that cannot be read is skipped with a warning and listed in
// `unreadable`. Blocks; call it off the main thread. Throws PathValidationError when the source folder
// itself cannot be read.
ScanResult scanSource(const QString& sourcePath, const TransferOptions& options);

} // namespace mv::GoogleDriveEngine
