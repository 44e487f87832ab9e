#include "google/DriveJson.h"

#include "google/GoogleAuthError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace mv::DriveJson {

namespace {

GoogleDecodingError unreadable(const QString& why)
{
    return GoogleDecodingError(QStringLiteral("Google Drive's answer could not be read: %1.").arg(why));
}

// Absent and null are the same: no value.
std::optional<QJsonValue> present(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

} // namespace

QJsonObject document(const QByteArray& json)
{
    QJsonParseError error {};
    const QJsonDocument parsed = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !parsed.isObject())
        throw unreadable(QStringLiteral("it is not a JSON object"));
    return parsed.object();
}

std::optional<QString> optionalText(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonValue> value = present(object, key);
    if (!value)
        return std::nullopt;
    if (!value->isString())
        throw unreadable(QStringLiteral("\"%1\" is not text").arg(key));
    return value->toString();
}

QString requiredText(const QJsonObject& object, const QString& key)
{
    std::optional<QString> text = optionalText(object, key);
    if (!text)
        throw unreadable(QStringLiteral("\"%1\" is missing").arg(key));
    return *text;
}

QJsonArray requiredArray(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonValue> value = present(object, key);
    if (!value)
        throw unreadable(QStringLiteral("\"%1\" is missing").arg(key));
    if (!value->isArray())
        throw unreadable(QStringLiteral("\"%1\" is not a list").arg(key));
    return value->toArray();
}

std::optional<bool> optionalBool(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonValue> value = present(object, key);
    if (!value)
        return std::nullopt;
    if (!value->isBool())
        throw unreadable(QStringLiteral("\"%1\" is not true or false").arg(key));
    return value->toBool();
}

std::optional<QStringList> optionalTextList(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonValue> value = present(object, key);
    if (!value)
        return std::nullopt;
    if (!value->isArray())
        throw unreadable(QStringLiteral("\"%1\" is not a list").arg(key));
    QStringList texts;
    for (const QJsonValue& element : value->toArray()) {
        if (!element.isString())
            throw unreadable(QStringLiteral("\"%1\" holds a value that is not text").arg(key));
        texts << element.toString();
    }
    return texts;
}

std::optional<QJsonObject> optionalObject(const QJsonObject& object, const QString& key)
{
    const std::optional<QJsonValue> value = present(object, key);
    if (!value)
        return std::nullopt;
    if (!value->isObject())
        throw unreadable(QStringLiteral("\"%1\" is not an object").arg(key));
    return value->toObject();
}

std::optional<qint64> decimalInteger(const QString& text)
{
    qsizetype at = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        at = 1;
    if (at == text.size())
        return std::nullopt;
    // Accumulated towards the sign, so that the most negative value is read too.
    qint64 value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text.at(at).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (__builtin_mul_overflow(value, 10, &value)
            || __builtin_add_overflow(value, negative ? -digit : digit, &value))
            return std::nullopt;
    }
    return value;
}

} // namespace mv::DriveJson
