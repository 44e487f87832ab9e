#include "google/GoogleDriveItem.h"

#include "google/DriveJson.h"

#include <QHashFunctions>

namespace mv {

qint64 GoogleDriveItem::sizeBytes() const
{
    return DriveJson::decimalInteger(size.value_or(QStringLiteral("0"))).value_or(0);
}

GoogleDriveItem GoogleDriveItem::decode(const QJsonObject& object)
{
    return {
        DriveJson::requiredText(object, QStringLiteral("id")),
        DriveJson::requiredText(object, QStringLiteral("name")),
        DriveJson::requiredText(object, QStringLiteral("mimeType")),
        DriveJson::optionalText(object, QStringLiteral("size")),
        DriveJson::optionalText(object, QStringLiteral("md5Checksum")),
        DriveJson::optionalText(object, QStringLiteral("modifiedTime")),
        DriveJson::optionalTextList(object, QStringLiteral("parents")),
        DriveJson::optionalBool(object, QStringLiteral("trashed")),
    };
}

GoogleDriveItem GoogleDriveItem::decode(const QByteArray& json)
{
    return decode(DriveJson::document(json));
}

namespace {

// Absent and present hash apart, as they compare apart.
template <typename T> size_t hashOptional(const std::optional<T>& value, size_t seed)
{
    return value ? qHashMulti(seed, true, *value) : qHashMulti(seed, false);
}

} // namespace

size_t qHash(const GoogleDriveItem& item, size_t seed)
{
    seed = qHashMulti(seed, item.id, item.name, item.mimeType);
    seed = hashOptional(item.size, seed);
    seed = hashOptional(item.md5Checksum, seed);
    seed = hashOptional(item.modifiedTime, seed);
    seed = hashOptional(item.parents, seed);
    return hashOptional(item.trashed, seed);
}

} // namespace mv
