#include "model/JsonObjectReader.h"

#include "model/IsoDate.h"
#include "model/UuidText.h"

namespace mv::detail {

JsonObjectReader::JsonObjectReader(QJsonObject object, QString path)
    : m_object(std::move(object))
    , m_path(std::move(path))
{
}

QString JsonObjectReader::pathOf(QLatin1StringView key) const
{
    return m_path.isEmpty() ? QString(key) : m_path + QLatin1Char('.') + key;
}

void failJson(const QString& path, const QString& expectation)
{
    throw JsonReadError { path + QStringLiteral(": ") + expectation };
}

QString readJson(const QJsonValue& value, const QString& path, std::type_identity<QString>)
{
    if (!value.isString())
        failJson(path, QStringLiteral("expected text"));
    return value.toString();
}

bool readJson(const QJsonValue& value, const QString& path, std::type_identity<bool>)
{
    if (!value.isBool())
        failJson(path, QStringLiteral("expected true or false"));
    return value.toBool();
}

qint64 readJson(const QJsonValue& value, const QString& path, std::type_identity<qint64>)
{
    // The parser keeps every whole number that fits 64 bits as an integer; anything else here is a fraction
    // or out of range.
    if (!value.isDouble() || value.toVariant().typeId() != QMetaType::LongLong)
        failJson(path, QStringLiteral("expected a whole number"));
    return value.toInteger();
}

QUuid readJson(const QJsonValue& value, const QString& path, std::type_identity<QUuid>)
{
    const std::optional<QUuid> id = value.isString() ? readUuid(value.toString().toUtf8()) : std::nullopt;
    if (!id)
        failJson(path, QStringLiteral("expected a UUID"));
    return *id;
}

QDateTime readJson(const QJsonValue& value, const QString& path, std::type_identity<QDateTime>)
{
    const std::optional<QDateTime> date = value.isString() ? parseIsoDate(value.toString()) : std::nullopt;
    if (!date)
        failJson(path, QStringLiteral("expected an ISO 8601 date such as 2026-12-09T08:21:00Z"));
    return *date;
}

QByteArray readJson(const QJsonValue& value, const QString& path, std::type_identity<QByteArray>)
{
    const QByteArray::FromBase64Result decoded = QByteArray::fromBase64Encoding(
        value.toString().toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!value.isString() || !decoded)
        failJson(path, QStringLiteral("expected Base64 data"));
    return decoded.decoded;
}

JsonObjectReader readJson(const QJsonValue& value, const QString& path, std::type_identity<JsonObjectReader>)
{
    if (!value.isObject())
        failJson(path, QStringLiteral("expected an object"));
    return JsonObjectReader(value.toObject(), path);
}

} // namespace mv::detail
