#pragma once

#include <QString>

namespace mv::GoogleDriveEngine {

// The name under which the resume store keeps a file's upload session and MD5 record: the destination
// folder's id, U+001F and the relative path. Starting with the folder keeps other folders' records apart.
QString fileKey(const QString& folderID, const QString& relativePath);

// The text before the last "/" of a relative path; empty for an item directly in the destination folder.
QString parentPath(const QString& relativePath);

} // namespace mv::GoogleDriveEngine
