#pragma once

#include <QByteArray>
#include <QString>

namespace mv {

// The per-sign-in secrets of an OAuth authorisation with PKCE (S256): a state that ties the redirect to this
// sign-in, and a verifier that only we know, whose SHA-256 (the challenge) goes out first.
struct OAuthPkce {
    QString state; // Base64url of 24 random bytes: 32 characters
    QString verifier; // Base64url of 48 random bytes: 64 characters
    QString challenge; // Base64url of SHA-256 of the verifier: 43 characters

    // Fresh values from the system's secure random generator; throws GoogleAuthError::server when none can
    // be had (there is no weaker fallback).
    static OAuthPkce make();

    static QString challengeFor(const QString& verifier);
    // Standard Base64 with "-" for "+", "_" for "/" and no "=".
    static QString base64Url(const QByteArray& bytes);
    // `count` bytes from OpenSSL's generator, else getrandom(2); throws GoogleAuthError::server when both
    // fail.
    static QByteArray randomBytes(int count);
};

} // namespace mv
