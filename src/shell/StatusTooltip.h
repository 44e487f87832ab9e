#pragma once

#include "model/AggregateStatus.h"

#include <QString>

namespace mv {

// The tray icon's tooltip: the product name, a dash and the overall status in words, with a running
// backup's progress truncated to a whole percent (99.9 % reads 99 %).
QString statusTooltip(const AggregateStatus& status);

} // namespace mv
