#include "ui/models/shared/StatusRoles.h"

namespace mv::StatusRoles {

QVariant data(const DestinationDisplayStatus& status, int role)
{
    switch (role) {
    case StatusTextRole:
        return status.text;
    case StatusColorRole:
        return int(status.color);
    case SymbolRole:
        return status.symbol;
    case PulsingRole:
        return status.pulsing;
    case DetailRole:
        return status.detail ? QVariant(*status.detail) : QVariant();
    default:
        return {};
    }
}

QHash<int, QByteArray> names()
{
    return { { Qt::DisplayRole, "name" }, { IdRole, "id" }, { EnabledRole, "enabled" },
        { StatusTextRole, "statusText" }, { StatusColorRole, "statusColor" }, { SymbolRole, "symbol" },
        { PulsingRole, "pulsing" }, { DetailRole, "detail" } };
}

} // namespace mv::StatusRoles
