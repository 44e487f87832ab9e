#include "google/GoogleDriveClient.h"

#include "google/AsyncKeyedLock.h"
#include "google/DriveJson.h"
#include "google/GoogleAuthError.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleDriveError.h"
#include "google/GoogleDriveList.h"
#include "google/GoogleEndpoints.h"
#include "google/HttpExchange.h"
#include "google/PercentEncoding.h"
#include "platform/Clock.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkRequest>
#include <QPointer>

namespace mv {

namespace {

constexpr int unauthorized = 401;

bool isTransientStatus(int status)
{
    return status == 429 || status == 500 || status == 502 || status == 503 || status == 504;
}

// Worth another attempt: a transient status, or a transport failure a later attempt may not meet.
bool isTransient(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const GoogleDriveError& error) {
        return error.kind() == GoogleDriveError::Kind::api && isTransientStatus(error.status());
    } catch (const GoogleTransportError& error) {
        return error.isTransient();
    } catch (...) {
        return false;
    }
}

bool isRefusedToken(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const GoogleDriveError& error) {
        return error.kind() == GoogleDriveError::Kind::auth;
    } catch (...) {
        return false;
    }
}

// The body of an answer in [lowest, highest], or the error the answer means. A server that echoes the
// token never gets it into a message.
QByteArray successBody(const HttpAnswer& answer, const QString& token, int lowest, int highest)
{
    if (answer.status == 0)
        throw GoogleDriveError::invalidResponse();
    if (answer.status >= lowest && answer.status <= highest)
        return answer.body;
    QString message = GoogleDriveClient::errorMessage(answer.body);
    if (!token.isEmpty())
        message.replace(token, QStringLiteral("[token]"));
    if (answer.status == unauthorized)
        throw GoogleDriveError::auth(message);
    throw GoogleDriveError::api(answer.status, message);
}

// A text inside a query string literal: backslashes doubled first, then apostrophes escaped.
QString queryLiteral(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return text;
}

// Held across ensureFolder's search and creation, so that racing callers in this process make one folder.
AsyncKeyedLock& folderCreationLock()
{
    static AsyncKeyedLock lock;
    return lock;
}

GoogleDriveClient::Sleeper realSleeper()
{
    return [](std::chrono::milliseconds delay) { return sleepFor(Clock::system(), delay); };
}

} // namespace

GoogleDriveClient::GoogleDriveClient(QNetworkAccessManager& network, QUrl driveApiBase,
    TokenProvider tokenProvider, TokenRefresh tokenRefresh, Sleeper sleeper)
    : m_network(&network)
    , m_driveApiBase(std::move(driveApiBase))
    , m_tokenProvider(std::move(tokenProvider))
    , m_tokenRefresh(std::move(tokenRefresh))
    , m_sleeper(sleeper ? std::move(sleeper) : realSleeper())
{
}

GoogleDriveClient::GoogleDriveClient(QNetworkAccessManager& network, const GoogleEndpoints& endpoints,
    GoogleAuthManager& account, Sleeper sleeper)
    : GoogleDriveClient(network, endpoints.driveApiBase, accountTokens(account), accountTokenRefresh(account),
        std::move(sleeper))
{
}

GoogleDriveClient::TokenProvider GoogleDriveClient::accountTokens(GoogleAuthManager& account)
{
    return [account = QPointer<GoogleAuthManager>(&account)]() -> QCoro::Task<QString> {
        if (!account)
            throw GoogleAuthError(GoogleAuthError::Kind::notConnected);
        auto asking = account->accessToken();
        const QString token = co_await asking;
        co_return token;
    };
}

GoogleDriveClient::TokenRefresh GoogleDriveClient::accountTokenRefresh(GoogleAuthManager& account)
{
    return [account = QPointer<GoogleAuthManager>(&account)]() -> QCoro::Task<> {
        if (account)
            account->invalidateAccessToken();
        co_return;
    };
}

QString GoogleDriveClient::errorMessage(const QByteArray& body)
{
    try {
        const QJsonObject envelope = DriveJson::document(body);
        const QJsonValue error = envelope.value(QStringLiteral("error"));
        if (error.isObject())
            return oneLine(DriveJson::requiredText(error.toObject(), QStringLiteral("message")).toUtf8());
    } catch (const GoogleDecodingError&) {
    }
    return oneLine(body);
}

QUrl GoogleDriveClient::endpoint(const QString& path) const
{
    QUrl url = m_driveApiBase;
    url.setPath(url.path() + path, QUrl::StrictMode);
    return url;
}

QUrl GoogleDriveClient::itemUrl(const QString& id) const
{
    // An empty identifier would name the listing itself.
    if (id.isEmpty())
        throw GoogleDecodingError(
            QStringLiteral("A Google Drive item has an empty identifier; nothing was sent."));
    // One path segment whatever it holds: "/" and "?" are encoded too.
    return endpoint(QStringLiteral("/files/") + QString::fromLatin1(PercentEncoding::encode(id)));
}

QCoro::Task<QByteArray> GoogleDriveClient::performRequest(QUrl url, qint64 maximumBody)
{
    auto providing = m_tokenProvider();
    const QString token = co_await providing;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    auto exchanging
        = exchangeHttp(*m_network, request, QByteArrayLiteral("GET"), {}, readTimeout, maximumBody);
    const HttpAnswer answer = co_await exchanging;
    co_return successBody(answer, token, 200, 299);
}

QCoro::Task<QByteArray> GoogleDriveClient::requestWithTransientRetry(QUrl url, qint64 maximumBody)
{
    for (int retry = 0;; ++retry) {
        std::exception_ptr failure;
        try {
            auto attempt = performRequest(url, maximumBody);
            QByteArray body = co_await attempt;
            co_return body;
        } catch (...) {
            failure = std::current_exception();
        }
        if (retry >= maximumRetries || !isTransient(failure))
            std::rethrow_exception(failure);
        auto waiting = m_sleeper(std::chrono::seconds(1 << retry));
        co_await waiting;
    }
}

QCoro::Task<QByteArray> GoogleDriveClient::request(QUrl url, qint64 maximumBody)
{
    std::exception_ptr failure;
    try {
        auto first = requestWithTransientRetry(url, maximumBody);
        QByteArray body = co_await first;
        co_return body;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!m_tokenRefresh || !isRefusedToken(failure))
        std::rethrow_exception(failure);
    auto refreshing = m_tokenRefresh();
    co_await refreshing;
    auto second = requestWithTransientRetry(url, maximumBody);
    QByteArray body = co_await second;
    co_return body;
}

QCoro::Task<QByteArray> GoogleDriveClient::sendOnce(
    QByteArray verb, QUrl url, QByteArray body, int lowest, int highest)
{
    auto providing = m_tokenProvider();
    const QString token = co_await providing;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    request.setRawHeader("Content-Type", "application/json; charset=utf-8");
    auto exchanging = exchangeHttp(*m_network, request, verb, body, writeTimeout, bodyLimit);
    const HttpAnswer answer = co_await exchanging;
    co_return successBody(answer, token, lowest, highest);
}

QCoro::Task<QByteArray> GoogleDriveClient::send(
    QByteArray verb, QUrl url, QByteArray body, int lowest, int highest)
{
    std::exception_ptr failure;
    try {
        auto first = sendOnce(verb, url, body, lowest, highest);
        QByteArray answer = co_await first;
        co_return answer;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!m_tokenRefresh || !isRefusedToken(failure))
        std::rethrow_exception(failure);
    auto refreshing = m_tokenRefresh();
    co_await refreshing;
    auto second = sendOnce(verb, url, body, lowest, highest);
    QByteArray answer = co_await second;
    co_return answer;
}

QCoro::Task<QList<GoogleDriveItem>> GoogleDriveClient::list(QString query, int pageSize)
{
    QList<GoogleDriveItem> items;
    std::optional<QString> pageToken;
    for (;;) {
        PercentEncoding::Pairs pairs {
            { QStringLiteral("q"), query },
            { QStringLiteral("pageSize"), QString::number(std::min(pageSize, maximumPageSize)) },
            { QStringLiteral("fields"),
                QStringLiteral("nextPageToken,files(%1)").arg(QLatin1String(fields)) },
            { QStringLiteral("spaces"), QStringLiteral("drive") },
        };
        if (pageToken)
            pairs.append({ QStringLiteral("pageToken"), *pageToken });
        auto reading = request(
            PercentEncoding::withQuery(endpoint(QStringLiteral("/files")), pairs), listingBodyLimit);
        const QByteArray body = co_await reading;
        GoogleDriveList page = GoogleDriveList::decode(body);
        items.append(std::move(page.files));
        if (!page.nextPageToken)
            co_return items;
        if (items.size() >= listingItemCap)
            throw GoogleListingTruncatedError();
        pageToken = page.nextPageToken;
    }
}

QCoro::Task<GoogleDriveItem> GoogleDriveClient::ensureFolder(QString name, QString parentID)
{
    auto locking = folderCreationLock().lock(parentID + QChar(0x1F) + name);
    const AsyncKeyedLock::Guard guard = co_await locking;
    const QString query
        = QStringLiteral("name = '%1' and mimeType = '%2' and trashed = false and '%3' in parents")
              .arg(
                  queryLiteral(name), QLatin1String(GoogleDriveItem::folderMimeType), queryLiteral(parentID));
    auto searching = list(query, 10);
    const QList<GoogleDriveItem> found = co_await searching;
    for (const GoogleDriveItem& item : found) {
        if (item.mimeType == QLatin1String(GoogleDriveItem::folderMimeType))
            co_return item;
    }
    const QJsonObject metadata {
        { QStringLiteral("name"), name },
        { QStringLiteral("mimeType"), QLatin1String(GoogleDriveItem::folderMimeType) },
        { QStringLiteral("parents"), QJsonArray { parentID } },
    };
    auto creating = createFile(metadata, QLatin1String(fields));
    const GoogleDriveItem created = co_await creating;
    co_return created;
}

QCoro::Task<GoogleDriveItem> GoogleDriveClient::createFile(QJsonObject metadata, QString fields)
{
    const QUrl url = PercentEncoding::withQuery(
        endpoint(QStringLiteral("/files")), { { QStringLiteral("fields"), fields } });
    auto sending = send(
        QByteArrayLiteral("POST"), url, QJsonDocument(metadata).toJson(QJsonDocument::Compact), 200, 201);
    const QByteArray body = co_await sending;
    co_return GoogleDriveItem::decode(body);
}

QCoro::Task<GoogleDriveItem> GoogleDriveClient::folder(QString id)
{
    const QUrl url
        = PercentEncoding::withQuery(itemUrl(id), { { QStringLiteral("fields"), QLatin1String(fields) } });
    auto reading = request(url, bodyLimit);
    const QByteArray body = co_await reading;
    co_return GoogleDriveItem::decode(body);
}

QCoro::Task<GoogleQuotaBytes> GoogleDriveClient::quota()
{
    const QUrl url = PercentEncoding::withQuery(endpoint(QStringLiteral("/about")),
        { { QStringLiteral("fields"), QStringLiteral("storageQuota(limit,usage)") } });
    auto reading = request(url, bodyLimit);
    const QByteArray body = co_await reading;
    co_return GoogleQuota::decode(body).bytes();
}

QCoro::Task<> GoogleDriveClient::trash(QString id)
{
    const QUrl url
        = PercentEncoding::withQuery(itemUrl(id), { { QStringLiteral("fields"), QStringLiteral("id") } });
    auto sending = send(QByteArrayLiteral("PATCH"), url, QByteArrayLiteral(R"({"trashed":true})"), 200, 204);
    co_await sending;
}

} // namespace mv
