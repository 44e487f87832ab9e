#include "google/GoogleTokenResponse.h"

#include "google/GoogleAuthError.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace mv {

namespace {

GoogleDecodingError unreadable(const QString& why)
{
    return GoogleDecodingError(QStringLiteral("Google's token answer could not be read: %1.").arg(why));
}

std::optional<QString> optionalText(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString())
        throw unreadable(QStringLiteral("\"%1\" is not text").arg(key));
    return value.toString();
}

} // namespace

GoogleTokenResponse GoogleTokenResponse::decode(const QByteArray& json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw unreadable(QStringLiteral("it is not a JSON object"));
    const QJsonObject object = document.object();
    GoogleTokenResponse response;
    const std::optional<QString> access = optionalText(object, QStringLiteral("access_token"));
    if (!access)
        throw unreadable(QStringLiteral("\"access_token\" is missing"));
    response.access_token = *access;
    const QJsonValue expires = object.value(QStringLiteral("expires_in"));
    if (!expires.isUndefined() && !expires.isNull()) {
        const double seconds = expires.toDouble(std::nan(""));
        if (!expires.isDouble() || std::trunc(seconds) != seconds || std::abs(seconds) > 9e15)
            throw unreadable(QStringLiteral("\"expires_in\" is not a whole number"));
        response.expires_in = qint64(seconds);
    }
    response.refresh_token = optionalText(object, QStringLiteral("refresh_token"));
    response.id_token = optionalText(object, QStringLiteral("id_token"));
    return response;
}

std::optional<QJsonObject> GoogleTokenResponse::jwtPayload(const QString& token)
{
    const QStringList pieces = token.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(pieces.at(1).toLatin1(),
        QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals
            | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(*decoded, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace mv
