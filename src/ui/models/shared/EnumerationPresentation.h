#pragma once

#include "model/Enumerations.h"

#include <QString>

namespace mv {

// How the views name and draw the model's enumerations, each in one place.

// The symbol beside a mode's name: its tag in the jobs list, the editor's chip and the mode's row.
QString modeSymbol(BackupMode mode);
// "Local", "Network", "SSH", "Google Drive": the kind picker's segments and the destinations' tags.
QString kindTitle(DestinationKind kind);

} // namespace mv
