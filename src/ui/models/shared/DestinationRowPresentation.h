#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupDestination.h"

#include <QString>

namespace mv::DestinationRowPresentation {

// The symbol of the destination's kind (not of its status).
QString kindSymbol(DestinationKind kind);
// The status's detail when it has one, else where the destination is.
QString toolTip(const BackupDestination& destination, const DestinationDisplayStatus& status);
// "Home NAS, Offline".
QString accessibleName(const BackupDestination& destination, const DestinationDisplayStatus& status);

} // namespace mv::DestinationRowPresentation
