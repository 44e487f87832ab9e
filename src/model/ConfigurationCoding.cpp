#include "model/ConfigurationCoding.h"

namespace mv {

std::expected<AppConfiguration, QString> ConfigurationCoding::decode(
    const QByteArray&, const QDateTime& readingTime)
{
    return AppConfiguration::create(readingTime);
}

QByteArray ConfigurationCoding::encode(const AppConfiguration&)
{
    return {};
}

} // namespace mv
