#pragma once

#include <QLoggingCategory>

namespace mv {

// Messages of the engine library, enabled or silenced as "marrowvale.engine" (QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(engineLog)

} // namespace mv
