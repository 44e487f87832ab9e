#include "ui/models/panel/AggregateStatusPresentation.h"

namespace mv {

using Kind = AggregateStatus::Kind;

PaletteRole statusColor(const AggregateStatus& status)
{
    switch (status.kind) {
    case Kind::running:
        return PaletteRole::accent;
    case Kind::paused:
    case Kind::waiting:
        return PaletteRole::warning;
    case Kind::idle:
        return PaletteRole::success;
    case Kind::failed:
        return PaletteRole::danger;
    case Kind::offline:
        return PaletteRole::offline;
    case Kind::empty:
    case Kind::ready:
    case Kind::disabled:
        break;
    }
    return PaletteRole::labelSecondary;
}

QString statusHint(const AggregateStatus& status)
{
    switch (status.kind) {
    case Kind::running:
        return QStringLiteral("You can close this panel. The backup keeps running.");
    case Kind::paused:
        return QStringLiteral("Resume from the panel or the dashboard.");
    case Kind::empty:
        return QStringLiteral("Add a folder to protect it.");
    case Kind::ready:
        return QStringLiteral("Run a backup, or leave a schedule to start it.");
    case Kind::idle:
        return QStringLiteral("The next scheduled run will start automatically.");
    case Kind::waiting:
        return QStringLiteral("The next check runs in a moment.");
    case Kind::failed:
        return QStringLiteral("Open Activity to read what happened.");
    case Kind::offline:
        return QStringLiteral("Reconnect the drive or share to continue.");
    case Kind::disabled:
        return QStringLiteral("Turn a job back on to resume backups.");
    }
    return {};
}

} // namespace mv
