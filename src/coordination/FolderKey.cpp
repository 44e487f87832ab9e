#include "coordination/FolderKey.h"

#include "drive/RunPlanning.h"
#include "model/BackupDestination.h"
#include "model/PathValidation.h"

namespace mv {

QString folderKey(const BackupDestination& destination, const std::optional<QString>& driveAccount)
{
    switch (destination.kind) {
    case DestinationKind::local:
    case DestinationKind::network:
        return QStringLiteral("file:") + PathValidation::normalize(destination.path);
    case DestinationKind::ssh: {
        QString host = destination.host.trimmed().toLower();
        if (host.startsWith(u'[') && host.endsWith(u']'))
            host = host.mid(1, host.size() - 2);
        return QStringLiteral("ssh:%1@%2:%3:%4")
            .arg(destination.user, host, QString::number(destination.port),
                PathValidation::normalizeRemotePath(destination.path));
    }
    case DestinationKind::googleDrive:
        return QStringLiteral("drive:%1:%2/%3")
            .arg(driveAccount.value_or(QString()),
                QString::fromLatin1(GoogleDriveEngine::applicationFolderName), destination.driveFolderName());
    }
    return {};
}

} // namespace mv
