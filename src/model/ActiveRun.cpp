#include "model/ActiveRun.h"

#include "model/UuidText.h"

namespace mv {

QString ActiveRun::id() const
{
    return uuidText(key.jobID) + QLatin1Char('-') + uuidText(key.destinationID);
}

} // namespace mv
