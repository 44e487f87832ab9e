#include "model/AppConfiguration.h"

namespace mv {

AppConfiguration AppConfiguration::create(const QDateTime& now)
{
    AppConfiguration configuration;
    configuration.updatedAt = now.toUTC();
    return configuration;
}

} // namespace mv
