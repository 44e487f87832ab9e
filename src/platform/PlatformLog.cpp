#include "platform/PlatformLog.h"

namespace mv {

Q_LOGGING_CATEGORY(platformLog, "marrowvale.platform")

} // namespace mv
