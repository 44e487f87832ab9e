#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace mv {

// The body of a successful answer of Google's token endpoint.
struct GoogleTokenResponse {
    QString access_token;
    std::optional<qint64> expires_in; // decoded, never used: a token is taken to live 3,300 s
    std::optional<QString> refresh_token;
    std::optional<QString> id_token;

    bool operator==(const GoogleTokenResponse&) const = default;

    // Strict: access_token must be text, the others text or integer when present (null is absent).
    // Throws GoogleDecodingError.
    static GoogleTokenResponse decode(const QByteArray& json);

    // The payload of a compact identity token, unverified, or none when it cannot be decoded. Missing "="
    // padding is tolerated.
    static std::optional<QJsonObject> jwtPayload(const QString& token);
};

} // namespace mv
