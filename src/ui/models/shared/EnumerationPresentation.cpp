#include "ui/models/shared/EnumerationPresentation.h"

namespace mv {

QString modeSymbol(BackupMode mode)
{
    switch (mode) {
    case BackupMode::incremental:
        return QStringLiteral("arrow.triangle.2.circlepath");
    case BackupMode::mirror:
        return QStringLiteral("rectangle.on.rectangle.angled");
    case BackupMode::versioned:
        return QStringLiteral("clock.arrow.circlepath");
    }
    return {};
}

QString kindTitle(DestinationKind kind)
{
    switch (kind) {
    case DestinationKind::local:
        return QStringLiteral("Local");
    case DestinationKind::network:
        return QStringLiteral("Network");
    case DestinationKind::ssh:
        return QStringLiteral("SSH");
    case DestinationKind::googleDrive:
        return QStringLiteral("Google Drive");
    }
    return {};
}

} // namespace mv
