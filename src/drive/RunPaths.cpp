#include "drive/RunPaths.h"

namespace mv::GoogleDriveEngine {

QString fileKey(const QString& folderID, const QString& relativePath)
{
    return folderID + QChar(0x1f) + relativePath;
}

QString parentPath(const QString& relativePath)
{
    const qsizetype slash = relativePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relativePath.left(slash);
}

} // namespace mv::GoogleDriveEngine
