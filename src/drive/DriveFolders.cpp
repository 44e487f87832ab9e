#include "drive/DriveFolders.h"

#include "drive/GoogleRunLog.h"
#include "drive/RemoteIndex.h"
#include "drive/RunPaths.h"
#include "google/GoogleDriveClient.h"

namespace mv::GoogleDriveEngine {

DriveFolders::DriveFolders(QString rootID, QHash<QString, GoogleDriveItem> existing)
    : m_rootID(std::move(rootID))
    , m_folders(std::move(existing))
{
}

QCoro::Task<> DriveFolders::ensure(GoogleDriveClient& client, QStringList directories, GoogleRunLog& log)
{
    for (const QString& directory : std::as_const(directories)) {
        const std::optional<QString> parent = parentID(directory);
        if (!parent || m_folders.contains(directory))
            continue;
        auto ensuring = client.ensureFolder(lastComponent(directory), *parent);
        GoogleDriveItem folder = co_await ensuring;
        m_folders.insert(directory, std::move(folder));
        log.append(QStringLiteral("FOLDER ") + directory);
    }
}

std::optional<QString> DriveFolders::parentID(const QString& relativePath) const
{
    const QString parent = parentPath(relativePath);
    if (parent.isEmpty())
        return m_rootID;
    const auto folder = m_folders.constFind(parent);
    if (folder == m_folders.constEnd())
        return std::nullopt;
    return folder->id;
}

} // namespace mv::GoogleDriveEngine
