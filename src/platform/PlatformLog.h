#pragma once

#include <QLoggingCategory>

namespace mv {

// Messages of the platform library, enabled or silenced as "marrowvale.platform" (QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(platformLog)

} // namespace mv
