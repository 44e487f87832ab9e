#include "model/BackupDestination.h"

namespace mv {

BackupDestination BackupDestination::create(const QDateTime& now)
{
    BackupDestination destination;
    destination.id = QUuid::createUuid();
    destination.createdAt = now.toUTC();
    return destination;
}

QString BackupDestination::displayPath() const
{
    switch (kind) {
    case DestinationKind::local:
    case DestinationKind::network:
        return path;
    case DestinationKind::ssh:
        return (user.isEmpty() ? QString() : user + QLatin1Char('@')) + host + QLatin1Char(':') + path;
    case DestinationKind::googleDrive:
        return QStringLiteral("Google Drive \u00B7 ")
            + googleAccount.value_or(QStringLiteral("not signed in")) + QStringLiteral(" / ")
            + driveFolderName();
    }
    return path;
}

QString BackupDestination::driveFolderName() const
{
    return googleFolderName.isEmpty() ? name : googleFolderName;
}

} // namespace mv
