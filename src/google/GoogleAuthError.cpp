#include "google/GoogleAuthError.h"

namespace mv {

GoogleAuthError::GoogleAuthError(Kind kind, QString payload)
    : m_kind(kind)
    , m_payload(std::move(payload))
    , m_what(description().toUtf8())
{
}

QString GoogleAuthError::description() const
{
    switch (m_kind) {
    case Kind::browserDenied:
        return QStringLiteral("Google sign-in did not complete. ") + m_payload;
    case Kind::tokenExchange:
        return QStringLiteral("Google rejected the token exchange. ") + m_payload;
    case Kind::server:
        return QStringLiteral("The local sign-in listener failed. ") + m_payload;
    case Kind::notConfigured:
        return QStringLiteral("Google sign-in is not configured. Import the OAuth client JSON in Settings.");
    case Kind::notConnected:
        return QStringLiteral("Sign in with Google in Settings before running this destination.");
    case Kind::invalidClientFile:
        return QStringLiteral("That file is not a Google OAuth client JSON file.");
    case Kind::stateMismatch:
        return QStringLiteral("Google sign-in returned an unexpected state value. Try again.");
    case Kind::keyring:
        return m_payload;
    }
    return m_payload;
}

GoogleTransportError::GoogleTransportError(QString description, bool transient)
    : m_description(std::move(description))
    , m_transient(transient)
    , m_what(m_description.toUtf8())
{
}

GoogleDecodingError::GoogleDecodingError(QString description)
    : m_description(std::move(description))
    , m_what(m_description.toUtf8())
{
}

} // namespace mv
