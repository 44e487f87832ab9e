#include "google/GoogleQuota.h"

#include "google/DriveJson.h"

namespace mv {

namespace {

std::optional<qint64> count(const std::optional<QString>& text)
{
    return text ? DriveJson::decimalInteger(*text) : std::nullopt;
}

} // namespace

GoogleQuotaBytes GoogleQuota::bytes() const
{
    if (!storageQuota)
        return {};
    return { count(storageQuota->limit), count(storageQuota->usage) };
}

GoogleQuota GoogleQuota::decode(const QByteArray& json)
{
    const QJsonObject object = DriveJson::document(json);
    GoogleQuota quota;
    if (const std::optional<QJsonObject> storage
        = DriveJson::optionalObject(object, QStringLiteral("storageQuota")))
        quota.storageQuota = StorageQuota { DriveJson::optionalText(*storage, QStringLiteral("limit")),
            DriveJson::optionalText(*storage, QStringLiteral("usage")) };
    return quota;
}

} // namespace mv
