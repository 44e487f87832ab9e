#pragma once

#include "platform/DescribedError.h"

#include <QByteArray>
#include <QString>

namespace mv {

// Every failure the Drive API reports (and a few the uploads find themselves), with the sentence shown to
// the user. Transport, token and decoding failures travel as their own errors.
class GoogleDriveError : public DescribedError {
public:
    enum class Kind { auth, api, invalidResponse, cancelled, sessionExpired };

    static GoogleDriveError auth(QString message)
    {
        return GoogleDriveError(Kind::auth, 0, std::move(message));
    }
    static GoogleDriveError api(int status, QString message)
    {
        return GoogleDriveError(Kind::api, status, std::move(message));
    }
    static GoogleDriveError invalidResponse() { return GoogleDriveError(Kind::invalidResponse); }
    static GoogleDriveError cancelled() { return GoogleDriveError(Kind::cancelled); }
    static GoogleDriveError sessionExpired() { return GoogleDriveError(Kind::sessionExpired); }

    Kind kind() const { return m_kind; }
    // The HTTP status of `api`: 0 or -1 for a failure without one (no usable answer, no Drive folder).
    int status() const { return m_status; }
    const QString& message() const { return m_message; } // the API's message of `auth` and `api`
    QString description() const override;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    explicit GoogleDriveError(Kind kind, int status = 0, QString message = {});

    Kind m_kind;
    int m_status;
    QString m_message;
    QByteArray m_what;
};

// A listing that reached the item cap with pages still to come: indexing only part of a folder would make
// its other files look missing.
class GoogleListingTruncatedError : public DescribedError {
public:
    QString description() const override;
    const char* what() const noexcept override;
};

} // namespace mv
