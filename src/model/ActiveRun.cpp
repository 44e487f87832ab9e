#include "model/ActiveRun.h"

namespace mv {

QString ActiveRun::id() const
{
    return key.jobID.toString(QUuid::WithoutBraces).toUpper() + QLatin1Char('-')
        + key.destinationID.toString(QUuid::WithoutBraces).toUpper();
}

} // namespace mv
