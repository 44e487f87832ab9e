#pragma once

#include "google/GoogleDriveItem.h"

#include <QString>

#include <optional>

namespace mv {

// What an upload put into Drive, and what it found of the local file while sending it: the MD5 of the
// bytes it read, in file order (absent when the upload did not read them itself), and whether the file was
// written to, resized or replaced in place between the opening and the end of the upload. Either is a sign
// that Drive's copy may match no version the file ever had.
struct UploadedFile {
    GoogleDriveItem item;
    std::optional<QString> readMD5;
    bool changedWhileSending = false;
};

} // namespace mv
