#pragma once

#include "coordination/DestinationDisplayStatus.h"

#include <QByteArray>
#include <QHash>
#include <QVariant>

namespace mv::StatusRoles {

// The roles of a row that shows a status: its identity, whether it is switched on, and the status's parts
// (the colour as a palette role number).
enum Role {
    IdRole = Qt::UserRole + 1,
    EnabledRole,
    StatusTextRole,
    StatusColorRole,
    SymbolRole,
    PulsingRole,
    DetailRole
};

// The status's part for a status role; nothing for any other role.
QVariant data(const DestinationDisplayStatus& status, int role);
QHash<int, QByteArray> names();

} // namespace mv::StatusRoles
