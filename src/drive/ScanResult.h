#pragma once

#include "drive/GoogleLocalFile.h"

#include <QStringList>

#include <vector>

namespace mv::GoogleDriveEngine {

// What a scan of the source folder found to back up.
struct ScanResult {
    std::vector<GoogleLocalFile> files; // included regular files, in path order
    QStringList directories; // included folders, by depth; equal depths in the order met
    qint64 totalBytes = 0;
    QStringList warnings; // one sentence per skipped entry, in the order met
    // Folders and entries that could not be read, as relative paths: nothing at or below them was backed
    // up, so nothing in Drive at or below them may be removed.
    QStringList unreadable;
};

} // namespace mv::GoogleDriveEngine
