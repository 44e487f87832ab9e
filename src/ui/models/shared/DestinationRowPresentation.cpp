#include "ui/models/shared/DestinationRowPresentation.h"

namespace mv::DestinationRowPresentation {

QString kindSymbol(DestinationKind kind)
{
    switch (kind) {
    case DestinationKind::local:
        return QStringLiteral("externaldrive.fill");
    case DestinationKind::network:
        return QStringLiteral("network");
    case DestinationKind::ssh:
        return QStringLiteral("server.rack");
    case DestinationKind::googleDrive:
        return QStringLiteral("cloud.fill");
    }
    return {};
}

QString toolTip(const BackupDestination& destination, const DestinationDisplayStatus& status)
{
    return status.detail ? *status.detail : destination.displayPath();
}

QString accessibleName(const BackupDestination& destination, const DestinationDisplayStatus& status)
{
    return destination.name + QStringLiteral(", ") + status.text;
}

} // namespace mv::DestinationRowPresentation
