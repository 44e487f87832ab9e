#pragma once

#include <QLoggingCategory>

namespace mv {

// Messages of the coordination library, enabled or silenced as "marrowvale.coordination" (QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(coordinationLog)

} // namespace mv
