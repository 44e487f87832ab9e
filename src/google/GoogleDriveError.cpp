#include "google/GoogleDriveError.h"

namespace mv {

GoogleDriveError::GoogleDriveError(Kind kind, int status, QString message)
    : m_kind(kind)
    , m_status(status)
    , m_message(std::move(message))
    , m_what(description().toUtf8())
{
}

QString GoogleDriveError::description() const
{
    switch (m_kind) {
    case Kind::auth:
        return QStringLiteral("Google Drive authorization failed. ") + m_message;
    case Kind::api:
        // Without a status the message alone says what happened; "HTTP 0" would blame Drive for nothing.
        if (m_status > 0)
            return QStringLiteral("Google Drive returned HTTP %1. ").arg(m_status) + m_message;
        if (m_message.isEmpty())
            return QStringLiteral("Google Drive returned an unreadable response.");
        return m_message;
    case Kind::invalidResponse:
        return QStringLiteral("Google Drive returned an unreadable response.");
    case Kind::cancelled:
        return QStringLiteral("The Google Drive transfer was cancelled.");
    case Kind::sessionExpired:
        return QStringLiteral("The saved Google Drive upload session expired.");
    }
    return {};
}

QString GoogleListingTruncatedError::description() const
{
    return QStringLiteral(
        "The Drive folder listing has more than 250,000 items and cannot be indexed safely.");
}

const char* GoogleListingTruncatedError::what() const noexcept
{
    return "The Drive folder listing has more than 250,000 items and cannot be indexed safely.";
}

} // namespace mv
