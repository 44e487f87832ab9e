#pragma once

#include "google/GoogleDriveItem.h"
#include "google/GoogleQuota.h"

#include <QJsonObject>
#include <QList>
#include <QUrl>

#include <chrono>
#include <functional>

#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace mv {

class GoogleAuthManager;
struct GoogleEndpoints;

// The program's only client of the Google Drive v3 API: attaches the access token, classifies answers into
// records or GoogleDriveError, retries reads on transient failures with back-off and renews a refused token
// once. Holds no mutable state, so several coroutines may use one client at once; it must outlive them.
//
// Failures: GoogleDriveError for what the API refused, GoogleTransportError when no whole answer arrived,
// GoogleDecodingError for an unreadable success body, and whatever the token provider throws, all unchanged.
class GoogleDriveClient {
public:
    using TokenProvider = std::function<QCoro::Task<QString>()>;
    // Makes the token source drop its cached access token, so the next TokenProvider call fetches a new one.
    using TokenRefresh = std::function<QCoro::Task<>()>;
    // Waits between attempts; tests replace it to record the waits instead of spending them.
    using Sleeper = std::function<QCoro::Task<>(std::chrono::milliseconds)>;

    static constexpr char fields[] = "id,name,mimeType,size,md5Checksum,modifiedTime,parents,trashed";
    static constexpr int maximumPageSize = 1000;
    static constexpr int listingItemCap = 250000;
    static constexpr int maximumRetries = 4;
    static constexpr std::chrono::seconds readTimeout { 120 };
    static constexpr std::chrono::seconds writeTimeout { 60 };
    static constexpr qint64 listingBodyLimit = 64 * 1024 * 1024;
    static constexpr qint64 bodyLimit = 1024 * 1024;

    // `driveApiBase` is GoogleEndpoints::driveApiBase (".../drive/v3"). Without a refresh callback a refused
    // token fails at once; without a sleeper the waits are real.
    GoogleDriveClient(QNetworkAccessManager& network, QUrl driveApiBase, TokenProvider tokenProvider,
        TokenRefresh tokenRefresh = {}, Sleeper sleeper = {});
    // Tokens from the account manager: the provider awaits accessToken(), the refresh drops its cached one.
    GoogleDriveClient(QNetworkAccessManager& network, const GoogleEndpoints& endpoints,
        GoogleAuthManager& account, Sleeper sleeper = {});

    // The account manager's tokens; once the manager is gone the provider throws
    // GoogleAuthError::notConnected and the refresh does nothing.
    static TokenProvider accountTokens(GoogleAuthManager& account);
    static TokenRefresh accountTokenRefresh(GoogleAuthManager& account);

    // Every item the search query finds, following all pages, at most 1000 a page. Throws
    // GoogleListingTruncatedError when 250,000 items are collected and Drive still has more.
    QCoro::Task<QList<GoogleDriveItem>> list(QString query, int pageSize);
    // The first folder called `name` (not trashed) in `parentID`, created when there is none. Calls for the
    // same parent and name wait for each other, so racing callers get one folder.
    QCoro::Task<GoogleDriveItem> ensureFolder(QString name, QString parentID);
    // The item `id` names, whatever it is; trashed or not a folder is the caller's business.
    QCoro::Task<GoogleDriveItem> folder(QString id);
    QCoro::Task<GoogleQuotaBytes> quota();
    // Moves the item to the Drive trash; nothing is ever deleted outright.
    QCoro::Task<> trash(QString id);

    // The message of a failed answer: the API's error envelope's "message", else the body as text, on one
    // line.
    static QString errorMessage(const QByteArray& body);

private:
    QCoro::Task<GoogleDriveItem> createFile(QJsonObject metadata, QString fields);

    // Reads: one token renewal around the transient retries around single exchanges. Each gives the body
    // of a 2xx answer.
    QCoro::Task<QByteArray> request(QUrl url, qint64 maximumBody);
    QCoro::Task<QByteArray> requestWithTransientRetry(QUrl url, qint64 maximumBody);
    QCoro::Task<QByteArray> performRequest(QUrl url, qint64 maximumBody);
    // Writes: one token renewal, no other retry. Gives the body of an answer in [lowest, highest].
    QCoro::Task<QByteArray> send(QByteArray verb, QUrl url, QByteArray body, int lowest, int highest);
    QCoro::Task<QByteArray> sendOnce(QByteArray verb, QUrl url, QByteArray body, int lowest, int highest);

    QUrl endpoint(const QString& path) const;
    QUrl itemUrl(const QString& id) const;

    QNetworkAccessManager* m_network;
    QUrl m_driveApiBase;
    TokenProvider m_tokenProvider;
    TokenRefresh m_tokenRefresh;
    Sleeper m_sleeper;
};

} // namespace mv
