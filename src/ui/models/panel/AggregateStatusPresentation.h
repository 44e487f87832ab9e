#pragma once

#include "model/AggregateStatus.h"
#include "model/PaletteRole.h"

#include <QString>

namespace mv {

// How the panel's header shows the overall status beside its headline: the colour of the headline and the
// hint that is its tooltip.
PaletteRole statusColor(const AggregateStatus& status);
QString statusHint(const AggregateStatus& status);

} // namespace mv
