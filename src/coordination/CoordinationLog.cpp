#include "coordination/CoordinationLog.h"

namespace mv {

Q_LOGGING_CATEGORY(coordinationLog, "marrowvale.coordination")

} // namespace mv
