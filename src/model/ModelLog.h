#pragma once

#include <QLoggingCategory>

namespace mv {

// Messages of the model library, enabled or silenced as "marrowvale.model" (QT_LOGGING_RULES).
Q_DECLARE_LOGGING_CATEGORY(modelLog)

} // namespace mv
