#include "engine/EngineLog.h"

namespace mv {

Q_LOGGING_CATEGORY(engineLog, "marrowvale.engine")

} // namespace mv
