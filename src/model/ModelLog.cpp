#include "model/ModelLog.h"

namespace mv {

Q_LOGGING_CATEGORY(modelLog, "marrowvale.model")

} // namespace mv
